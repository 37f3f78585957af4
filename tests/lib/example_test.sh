#!/usr/bin/env bash
# The example agent as an agent team builds it: from the installed
# libvora-alert-dev alone (the packages unpacked into a clean root, found
# through pkg-config --define-prefix, nothing of the source tree), run
# against the installed dialog on an X server of its own, answered with
# the dialog's keyboard (Tab to Yes, Return). pkg-config reads the unpacked
# vora-alert.pc with the root as its sysroot, as for any staged install.
# shellcheck source=tests/packaging/common.sh
. "$(dirname "$0")/../packaging/common.sh"
# shellcheck source=tests/support/wait-for.sh
. "$(dirname "$0")/../support/wait-for.sh"
: "${VORA_SOURCE_DIR:?}"
for tool in cc pkg-config Xvfb xdotool; do
    command -v "$tool" >/dev/null || skip "$tool is not installed"
done
scratch_dir
root=$work/root
for name in libvora-alert1 libvora-alert-dev vora-desktop; do
    dpkg-deb -x "$(package_file "$name")" "$root"
done
multiarch=$(dpkg-architecture -qDEB_HOST_MULTIARCH)
export PKG_CONFIG_LIBDIR=$root/usr/lib/$multiarch/pkgconfig PKG_CONFIG_SYSROOT_DIR=$root
flags=$(pkg-config --cflags --libs vora-alert) || fail "pkg-config finds no vora-alert"
grep -q -- "-I$root/usr/include" <<<"$flags" || fail "pkg-config does not point into the unpacked root: $flags"
# shellcheck disable=SC2086
cc -std=c99 -Wall -Wextra -Werror -o "$work/yesno-agent" "$VORA_SOURCE_DIR/docs/examples/yesno-agent.c" $flags ||
    fail "the example does not build against the -dev package"
export LD_LIBRARY_PATH=$root/usr/lib/$multiarch
libraries=$(ldd "$work/yesno-agent")
grep -q "$root/usr/lib/$multiarch/libvora-alert.so.1" <<<"$libraries" ||
    fail "the example does not load the packaged library"

# An X server and an agent root of the test's own.
display=$((100 + RANDOM % 800))
Xvfb ":$display" -screen 0 800x600x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
trap 'kill $xvfb 2>/dev/null; rm -rf "$work"' EXIT
export DISPLAY=":$display" VORA_AGENT_ROOT=$work/agent
unset QT_QPA_PLATFORM WAYLAND_DISPLAY
wait_for 10 xdotool getdisplaygeometry || fail "Xvfb did not start"

"$work/yesno-agent" "" "$root/usr/bin/VUserAlert" >"$work/out" 2>"$work/err" &
agent=$!
# Steered first: the message it publishes replaced the first one, then the
# user answers.
wait_for 60 grep -q "^steered:" "$work/out" || { cat "$work/out" "$work/err"; fail "the example did not steer"; }
window=$(xdotool search --sync --onlyvisible --name "^Example Installer$" | head -n 1)
[ -n "$window" ] || fail "no dialog window"
xdotool windowfocus --sync "$window"
xdotool key --window "$window" Tab Return
status=0
timeout 60 tail --pid=$agent -f /dev/null || status=$?
wait $agent || status=$?
cat "$work/out"
[ "$status" -eq 0 ] || { cat "$work/err"; fail "the example ended with status $status"; }
grep -qx "answer: yes" "$work/out" || { cat "$work/err"; fail "the example did not read the answer yes"; }
echo "the example, built from libvora-alert-dev alone, started, steered and read a real dialog"
