#!/usr/bin/env bash
# The real tray: Xvfb with trayer as the tray host, a private system bus,
# the fake helper answering "connected", and VORAMenuBar. Passes when the
# screenshot shows the connected icon's green status dot in the tray.
# Usage: tray_screenshot_test.sh BIN_DIR OUTPUT_PNG
set -euo pipefail
# shellcheck source=/dev/null
source "$(dirname "$0")/../../../../support/private-system-bus.sh"
bin_dir=$1
shot=$2

for tool in Xvfb trayer import convert dbus-daemon; do
    command -v "$tool" >/dev/null || { echo "SKIP: $tool missing"; exit 77; }
done

work=$(mktemp -d /tmp/vora-tray-XXXXXX)
pids=()
cleanup() {
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
    wait 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT

. "$(dirname "$0")/../../../../support/wait-for.sh"

export VORA_AGENT_ROOT=$work/root
mkdir -p "$VORA_AGENT_ROOT/Orvel/VORA/data"
echo "launchmenu=true" >"$VORA_AGENT_ROOT/Orvel/VORA/data/arn.conf"

display=$((100 + RANDOM % 400))
Xvfb ":$display" -screen 0 400x120x24 -nolisten tcp >/dev/null 2>&1 & pids+=($!)
export DISPLAY=":$display"
wait_for 10 xdpyinfo
trayer --edge top --align right --widthtype pixel --width 120 --height 32 \
    --transparent false --tint 0xdddddd >/dev/null 2>&1 & pids+=($!)

start_private_system_bus "$work"
pids+=("$PRIVATE_BUS_PID")

mkfifo "$work/helper-in"
"$bin_dir/vora-agent" helper --connected <"$work/helper-in" >"$work/helper.out" & pids+=($!)
exec 3>"$work/helper-in"
wait_for 10 grep -q ready "$work/helper.out"

"$bin_dir/VORAMenuBar" >"$work/menubar.out" 2>&1 & pids+=($!)
wait_for 15 grep -q "Agent is CONNECTED" "$work/menubar.out" || { cat "$work/menubar.out"; exit 1; }

green=0
for _ in $(seq 1 30); do
    sleep 0.2
    import -window root "$shot"
    green=$(convert "$shot" -fuzz 12% -fill white -opaque '#2eb85c' -fill black +opaque white \
        -format '%[fx:round(mean*w*h)]' info:)
    [ "$green" -ge 10 ] && break
done
echo "tray screenshot: $shot ($green green pixels)"
[ "$green" -ge 10 ]
