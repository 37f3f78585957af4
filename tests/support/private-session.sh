#!/bin/sh
# Runs a command in a desktop session of its own: a private session bus
# (dbus-run-session) and a private XDG_RUNTIME_DIR. The accessibility bus
# puts its socket in the runtime directory, or without one at
# ~/.cache/at-spi/bus, where two sessions at once would take it from each
# other: a dialog of one test then speaks on the other test's accessibility
# bus, and a screen reader started meanwhile finds no bus at all.
#   private-session.sh orca_dialog_test.py build/bin/VUserAlert
set -u
command -v dbus-run-session >/dev/null || { echo "SKIP: dbus-run-session missing (Debian: dbus-daemon)"; exit 77; }
runtime=$(mktemp -d "${TMPDIR:-/tmp}/vora-session-XXXXXX") || exit 1
trap 'rm -rf "$runtime"' EXIT
trap 'exit 143' TERM
trap 'exit 130' INT
XDG_RUNTIME_DIR=$runtime dbus-run-session -- "$@"
