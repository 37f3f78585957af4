#!/usr/bin/env bash
# The main job for a newcomer: installs what is missing, builds, then plays
# scripted scenarios through the agent's stand-in (vora-agent):
#   1. a Yes/No dialog whose message is replaced and appended to, with the
#      progress animation started and stopped;
#   2. a multi-page snooze dialog paged through;
#   3. the helper service and VORAMenuBar, with the connected state flipped.
# On a desktop the windows are real (answer the dialogs yourself). Without a
# display everything runs under Xvfb with a tray host, screenshots go to
# demo-output/ and the JSON answers are printed.
set -euo pipefail
# shellcheck source=/dev/null
source "$(dirname "$0")/../tests/support/private-system-bus.sh"
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh
build_dir=${VORA_BUILD_DIR:-build}
cmake -S . -B "$build_dir" -G Ninja >/dev/null
cmake --build "$build_dir" --parallel "$(nproc 2>/dev/null || echo 2)" --target VUserAlert VORAMenuBar vora-agent

if [ -z "${DISPLAY:-}" ] && [ -z "${VORA_DEMO_UNDER_XVFB:-}" ]; then
    export VORA_DEMO_UNDER_XVFB=1
    exec xvfb-run -a -s "-screen 0 720x400x24" "$0" "$@"
fi

bin=$PWD/$build_dir/bin
out_dir=$PWD/demo-output
mkdir -p "$out_dir"
work=$(mktemp -d /tmp/vora-demo-XXXXXX)
pids=()
cleanup() {
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
    wait 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT
export VORA_AGENT_ROOT=$work/root
headless=${VORA_DEMO_UNDER_XVFB:-}

shot() {
    [ -n "$headless" ] || return 0
    sleep 0.4
    import -window root "$out_dir/$1.png"
    echo "screenshot: demo-output/$1.png" >&2
}
click() { # click X Y: a button of the dialog, which stands at the screen's corner under Xvfb
    [ -n "$headless" ] && xdotool mousemove "$1" "$2" click 1
    return 0
}

"$bin/vora-agent" write-config companyname=Acme launchmenu=true >/dev/null

echo "== 1. Yes/No dialog, updated while it runs"
(sleep 1.7; shot 1-yesno-progress) &
{
    echo "wait 800"
    echo "message @(Downloading) Editor 2.1 (48 MB)"
    echo "await"
    echo "append Details: https://help.example.com/editor"
    echo "await"
    echo "progon"
    echo "await"
    echo "wait 1200"
    echo "progoff"
    echo "await"
    [ -n "$headless" ] && echo "timeout 0"   # nobody to answer: the default decides
} | "$bin/vora-agent" dialog --script - -- -name="@(name_desktopalert)" -title="@(title_vdeploy_fs)" \
    -message="@(ReadyInstall) Editor 2.1" -yesno -default=yes -timeout=300 -suffix=demo1 2>/dev/null

echo "== 2. Multi-page snooze dialog, paged through"
(
    sleep 1.2
    click 225 271; sleep 0.3                              # the snooze list of page 1 ...
    [ -n "$headless" ] && xdotool key Down Down Return    # ... "2 hours"
    shot 2-page1
    click 305 309; shot 2-page2          # Next
    click 195 309; sleep 0.3; click 305 309; sleep 0.3; click 305 309; shot 2-page3   # Back, Next, Next
    click 305 309                        # Continue
) &
pager=$!
"$bin/vora-agent" dialog -- -name="Updates" -title="@(title_patching)" \
    "-multisnoozemessage=PRE7^Editor 2.1^Update the editor^30^^8^Browser 118^Update the browser^30^^9^Mail^Set up the new mail server^30" \
    -suffix=demo2 2>/dev/null
wait $pager || true

echo "== 3. Helper service and tray item"
if [ -n "$headless" ]; then
    trayer --edge top --align right --widthtype pixel --width 120 --height 32 \
        --transparent false --tint 0xdddddd >/dev/null 2>&1 & pids+=($!)
    start_private_system_bus "$work"
    pids+=("$PRIVATE_BUS_PID")
fi
mkfifo "$work/helper"
"$bin/vora-agent" helper --connected <"$work/helper" >"$work/helper.out" 2>&1 & pids+=($!)
exec 3>"$work/helper"
sleep 0.5
"$bin/VORAMenuBar" >"$work/menubar.log" 2>&1 & pids+=($!)
sleep 2
shot 3-tray-connected
echo "connected false" >&3
echo "post restart" >&3           # the tray item refreshes on the helper's restart notification
sleep 1
shot 3-tray-disconnected
grep -E "Agent is|Found launchmenu" "$work/menubar.log" || true
echo "quit" >&3
