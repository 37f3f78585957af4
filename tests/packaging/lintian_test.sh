#!/usr/bin/env bash
# lintian at its default level: any error or warning on any of the
# packages fails (information tags are printed, not judged).
# shellcheck source=tests/packaging/common.sh
. "$(dirname "$0")/common.sh"
command -v lintian >/dev/null || fail "lintian is not installed (scripts/install-deps.sh)"

packages=()
for name in vora-desktop vora-desktop-dbgsym vora-agent-standin vora-agent-standin-dbgsym \
    libvora-alert1 libvora-alert1-dbgsym libvora-alert-dev; do
    packages+=("$(package_file "$name")")
done
status=0
lintian --display-info --fail-on error,warning "${packages[@]}" || status=$?
[ "$status" -eq 0 ] || fail "lintian reports errors or warnings (status $status)"
echo "lintian: no errors, no warnings"
