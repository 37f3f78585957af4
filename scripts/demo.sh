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

# Everything below waits for what it needs to see, never for a fixed time,
# so that a loaded machine gives the same pictures as an idle one; each wait
# gives up after about 60 s with a line on standard error.
patience=600 # tenths of a second

# Waits until the window manager has framed the dialog: its frame is the
# client's parent, and the client carries the frame's extents.
framed() {
    local id root parent
    id=$(window_of "$1")
    root=$(xwininfo -root | awk '/Window id:/ {print $4}')
    for _ in $(seq $patience); do
        parent=$(xwininfo -tree -id "$id" | awk '/Parent window id/ {print $4}')
        if [ "$parent" != "$root" ] && xprop -id "$id" _NET_FRAME_EXTENTS 2>/dev/null | grep -q ' = '; then
            return 0
        fi
        sleep 0.1
    done
    echo "demo: \"$1\" was not framed" >&2
    return 1
}

# The area of a dialog's window on the screen, frame included, as
# "WIDTHxHEIGHT+X+Y": the window manager's frame is the window's parent.
frame_area() {
    local frame
    frame=$(xwininfo -tree -id "$(window_of "$1")" | awk '/Parent window id/ {print $4}')
    xwininfo -id "$frame" | awk '/Absolute upper-left X/ {x=$4} /Absolute upper-left Y/ {y=$4}
        /Width:/ {w=$2} /Height:/ {h=$2} END {printf "%dx%d+%d+%d", w, h, x, y}'
}
# A digest of what the screen shows in AREA.
looks() { import -window root -crop "$1" +repage rgb:- 2>/dev/null | md5sum; }
# Waits until AREA shows something other than BEFORE (when given) and then
# stays the same for 0.3 s: the window has been drawn.
settled() {
    local before=${2:-} now previous=""
    for _ in $(seq $patience); do
        now=$(looks "$1")
        if [ "$now" != "$before" ] && [ "$now" = "$previous" ]; then
            return 0
        fi
        previous=$now
        sleep 0.3
    done
    echo "demo: the screen at $1 did not settle" >&2
    return 1
}
# The progress animation's place in the dialog (20,130 100x20 in the window).
progress_area() {
    xwininfo -id "$(window_of "$1")" | awk '/Absolute upper-left X/ {x=$4} /Absolute upper-left Y/ {y=$4}
        END {printf "100x20+%d+%d", x + 20, y + 130}'
}
shot() { # shot NAME [TITLE]: the dialog as it shows on the screen (with its frame and any open menu), or the whole screen
    [ -n "$headless" ] || return 0
    if [ -n "${2:-}" ]; then
        import -window root -crop "$(frame_area "$2")" +repage "$out_dir/$1.png"
    else
        import -window root "$out_dir/$1.png"
    fi
    echo "screenshot: demo-output/$1.png" >&2
}
# shot_when_settled NAME TITLE [BEFORE]: framed, drawn (and changed from BEFORE), then shot.
shot_when_settled() {
    [ -n "$headless" ] || return 0
    framed "$2" && settled "$(frame_area "$2")" "${3:-}"
    shot "$1" "$2"
}
click() { # click TITLE X Y: a point of the dialog, in the window's own coordinates
    [ -n "$headless" ] && xdotool mousemove --window "$(window_of "$1")" "$2" "$3" click "${4:-1}"
    return 0
}
# press TITLE KEYS...: keys typed into the dialog, which the window manager
# gave the focus (keys sent to a window directly are ignored by Qt).
press() {
    shift
    [ -n "$headless" ] && xdotool key "$@"
    return 0
}
# The screen at TITLE's frame now, to wait for a change from it.
now_at() { [ -n "$headless" ] && looks "$(frame_area "$1")"; }

if [ -n "$headless" ]; then
    # A window manager, as on a desktop: dialogs get their frames and are
    # placed by it. Its settings service wants a session bus of its own.
    dbus-run-session -- xfwm4 --compositor=off >/dev/null 2>&1 & pids+=($!)
    for _ in $(seq $patience); do
        xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q "window id" && break
        sleep 0.1
    done
fi

"$bin/vora-agent" write-config companyname=Acme launchmenu=true >/dev/null

echo "== 1. Yes/No dialog, updated while it runs"
{
    echo "message @(Downloading) Editor 2.1 (48 MB)"
    echo "await"
    echo "append Details: https://help.example.com/editor"
    echo "await"
    if [ -n "$headless" ]; then
        # The shot once the dots are drawn: the animation's place changes
        # from the empty background it shows before PROGON.
        framed "Acme Desktop Alert"
        dots=$(progress_area "Acme Desktop Alert")
        empty=$(looks "$dots")
    fi
    echo "progon"
    echo "await"
    if [ -n "$headless" ]; then
        for _ in $(seq $patience); do [ "$(looks "$dots")" != "$empty" ] && break; sleep 0.1; done
        shot 1-yesno-progress "Acme Desktop Alert"
    else
        echo "wait 1200"
    fi
    echo "progoff"
    echo "await"
    [ -n "$headless" ] && echo "timeout 0"   # nobody to answer: the default decides
} | "$bin/vora-agent" dialog --script - -- -name="@(name_desktopalert)" -title="@(title_vdeploy_fs)" \
    -message="@(ReadyInstall) Editor 2.1" -yesno -default=yes -timeout=300 -suffix=demo1 2>/dev/null

echo "== 2. Multi-page snooze dialog, paged through"
(
    [ -n "$headless" ] || exit 0
    framed Updates && settled "$(frame_area Updates)"
    before=$(now_at Updates)
    press Updates Tab Down Down                           # the snooze list of page 1: "2 hours"
    shot_when_settled 2-page1 Updates "$before"
    before=$(now_at Updates)
    click Updates 305 309                                 # Next
    shot_when_settled 2-page2 Updates "$before"
    for button in 195 305 305; do                         # Back, Next, Next
        before=$(now_at Updates)
        click Updates $button 309
        settled "$(frame_area Updates)" "$before"
    done
    shot 2-page3 Updates
    click Updates 305 309                                 # Continue
) &
pager=$!
"$bin/vora-agent" dialog -- -name="Updates" -title="@(title_patching)" \
    "-multisnoozemessage=PRE7^Editor 2.1^Update the editor^30^^8^Browser 118^Update the browser^30^^9^Mail^Set up the new mail server^30" \
    -suffix=demo2 2>/dev/null
wait $pager || true

echo "== 3. A German user with a dark scheme: the dialog keeps its own light look, Qt's menus follow"
{
    if [ -n "$headless" ]; then
        framed "Editor 2.1" && settled "$(frame_area "Editor 2.1")"
        before=$(now_at "Editor 2.1")
        click "Editor 2.1" 150 200 3                      # the message's context menu
        shot_when_settled 3-dark-german "Editor 2.1" "$before"
        press "Editor 2.1" Escape
        echo "exit"
    else
        echo "wait 2500"
    fi
} | QT_QPA_PLATFORMTHEME=gtk3 GTK_THEME=Adwaita:dark LANG=de_DE.UTF-8 LANGUAGE=de \
    "$bin/vora-agent" dialog --script - -- -name="Editor 2.1" -title="@(title_vdeploy_fs)" \
    "-message=@(ReadyInstall) Editor 2.1. Details: https://help.example.com/editor" -yesno -suffix=demo3 2>/dev/null

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
if [ -n "$headless" ]; then
    read -r width _ < <(xdotool getdisplaygeometry)
    tray="120x32+$((width - 120))+0"
    menu_area="360x220+$((width - 360))+0"
    empty=$(looks "$tray")
fi
"$bin/VORAMenuBar" >"$work/menubar.log" 2>&1 & pids+=($!)
if [ -n "$headless" ]; then
    settled "$tray" "$empty"                              # the item is in the tray
    shot 4-tray-connected
    # The item's menu, opened as a user does: a right click on the icon,
    # the last one in the tray at the screen's top right corner.
    before=$(looks "$menu_area")
    xdotool mousemove $((width - 14)) 14 click 3
    settled "$menu_area" "$before"
    import -window root -crop "$menu_area" +repage "$out_dir/4-tray-menu.png"
    echo "screenshot: demo-output/4-tray-menu.png" >&2
    xdotool key Escape
    settled "$menu_area"                                  # the menu has gone
    connected=$(looks "$tray")
else
    sleep 2
fi
echo "connected false" >&3
echo "post restart" >&3           # the tray item refreshes on the helper's restart notification
if [ -n "$headless" ]; then
    settled "$tray" "$connected"
    shot 4-tray-disconnected
fi
grep -E "Agent is|Found launchmenu" "$work/menubar.log" || true
echo "quit" >&3
