#!/usr/bin/env bash
# The main job for a newcomer: installs what is missing, builds, then plays
# scripted scenarios through the agent's stand-in (vora-agent):
#   1. a Yes/No dialog whose message is replaced and appended to, with the
#      progress animation started and stopped;
#   2. a multi-page snooze dialog paged through;
#   3. a dialog for a German user whose desktop has a dark scheme (GTK's
#      Adwaita-dark through Qt's GTK theme), its message's context menu open;
#   4. the helper service and VORAMenuBar, with the connected state flipped.
# On a desktop the windows are real (answer the dialogs yourself). Without a
# display everything runs under Xvfb with a window manager (xfwm4) and a
# tray host; each dialog is saved as its window, frame included, in
# demo-output/, and the JSON answers are printed.
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
    exec xvfb-run -a -s "-screen 0 900x560x24" "$0" "$@"
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

# The dialog's X window, by its exact title, once mapped.
window_of() { xdotool search --sync --onlyvisible --name "^$1\$" | head -n 1; }

# The area of a dialog's window on the screen, frame included, as
# "WIDTHxHEIGHT+X+Y": the window manager's frame is the window's parent.
frame_area() {
    local frame
    frame=$(xwininfo -tree -id "$(window_of "$1")" | awk '/Parent window id/ {print $4}')
    xwininfo -id "$frame" | awk '/Absolute upper-left X/ {x=$4} /Absolute upper-left Y/ {y=$4}
        /Width:/ {w=$2} /Height:/ {h=$2} END {printf "%dx%d+%d+%d", w, h, x, y}'
}
shot() { # shot NAME [TITLE]: the dialog as it shows on the screen (with its frame and any open menu), or the whole screen
    [ -n "$headless" ] || return 0
    sleep 0.4
    if [ -n "${2:-}" ]; then
        import -window root -crop "$(frame_area "$2")" +repage "$out_dir/$1.png"
    else
        import -window root "$out_dir/$1.png"
    fi
    echo "screenshot: demo-output/$1.png" >&2
}
click() { # click TITLE X Y: a point of the dialog, in the window's own coordinates
    [ -n "$headless" ] && xdotool mousemove --window "$(window_of "$1")" "$2" "$3" click "${4:-1}"
    return 0
}

if [ -n "$headless" ]; then
    # A window manager, as on a desktop: dialogs get their frames and are
    # placed by it. Its settings service wants a session bus of its own.
    dbus-run-session -- xfwm4 --compositor=off >/dev/null 2>&1 & pids+=($!)
    for _ in $(seq 50); do
        xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q "window id" && break
        sleep 0.1
    done
fi

"$bin/vora-agent" write-config companyname=Acme launchmenu=true >/dev/null

echo "== 1. Yes/No dialog, updated while it runs"
(sleep 1.7; shot 1-yesno-progress "Acme Desktop Alert") &
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
    click Updates 225 271; sleep 0.3                      # the snooze list of page 1 ...
    [ -n "$headless" ] && xdotool key Down Down Return    # ... "2 hours"
    shot 2-page1 Updates
    click Updates 305 309; shot 2-page2 Updates           # Next
    click Updates 195 309; sleep 0.3; click Updates 305 309; sleep 0.3
    click Updates 305 309; shot 2-page3 Updates           # Back, Next, Next
    click Updates 305 309                                 # Continue
) &
pager=$!
"$bin/vora-agent" dialog -- -name="Updates" -title="@(title_patching)" \
    "-multisnoozemessage=PRE7^Editor 2.1^Update the editor^30^^8^Browser 118^Update the browser^30^^9^Mail^Set up the new mail server^30" \
    -suffix=demo2 2>/dev/null
wait $pager || true

echo "== 3. A German user with a dark scheme: the dialog keeps its own light look, Qt's menus follow"
(
    sleep 1.5
    click "Editor 2.1" 150 200 3; sleep 0.3               # the message's context menu
    shot 3-dark-german "Editor 2.1"
    [ -n "$headless" ] && xdotool key Escape
) &
menu=$!
{
    echo "wait 2500"
    [ -n "$headless" ] && echo "exit"
} | QT_QPA_PLATFORMTHEME=gtk3 GTK_THEME=Adwaita:dark LANG=de_DE.UTF-8 LANGUAGE=de \
    "$bin/vora-agent" dialog --script - -- -name="Editor 2.1" -title="@(title_vdeploy_fs)" \
    "-message=@(ReadyInstall) Editor 2.1. Details: https://help.example.com/editor" -yesno -suffix=demo3 2>/dev/null
wait $menu || true

echo "== 4. Helper service and tray item"
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
shot 4-tray-connected
if [ -n "$headless" ]; then
    # The item's menu, opened as a user does: a right click on the icon,
    # the last one in the tray at the screen's top right corner.
    read -r width _ < <(xdotool getdisplaygeometry)
    xdotool mousemove $((width - 14)) 14 click 3
    sleep 0.5
    import -window root -crop 360x220+$((width - 360))+0 +repage "$out_dir/4-tray-menu.png"
    echo "screenshot: demo-output/4-tray-menu.png" >&2
    xdotool key Escape
fi
echo "connected false" >&3
echo "post restart" >&3           # the tray item refreshes on the helper's restart notification
sleep 1
shot 4-tray-disconnected
grep -E "Agent is|Found launchmenu" "$work/menubar.log" || true
echo "quit" >&3
