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
    cat >"$work/bus.conf" <<CONF
<busconfig><type>system</type><listen>unix:dir=$work</listen><auth>EXTERNAL</auth>
<policy context="default"><allow user="*"/><allow own="*"/><allow send_destination="*"/>
<allow send_type="signal"/><allow receive_type="signal"/><allow send_type="method_call"/>
<allow receive_type="method_call"/><allow receive_type="method_return"/><allow receive_type="error"/>
<allow send_requested_reply="true" send_type="method_return"/><allow send_requested_reply="true" send_type="error"/>
</policy></busconfig>
CONF
    dbus-daemon --config-file="$work/bus.conf" --print-address --nofork >"$work/address" 2>/dev/null & pids+=($!)
    for _ in $(seq 1 50); do [ -s "$work/address" ] && break; sleep 0.1; done
    export DBUS_SYSTEM_BUS_ADDRESS=$(head -n 1 "$work/address")
fi
mkfifo "$work/helper"
"$bin/vora-agent" helper --connected <"$work/helper" >"$work/helper.out" 2>&1 & pids+=($!)
exec 3>"$work/helper"
sleep 0.5
"$bin/VORAMenuBar" >"$work/menubar.log" 2>&1 & pids+=($!)
sleep 2
shot 3-tray-connected
echo "connected false" >&3
"$bin/vora-agent" post restart    # the tray item refreshes on the agent's restart notification
sleep 1
shot 3-tray-disconnected
grep -E "Agent is|Found launchmenu" "$work/menubar.log" || true
echo "quit" >&3
