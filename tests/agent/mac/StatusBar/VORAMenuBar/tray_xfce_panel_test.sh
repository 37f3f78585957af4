#!/usr/bin/env bash
# The tray item under a real StatusNotifierItem host: Debian's xfce4-panel
# with its status tray plugin on Xvfb, a private session bus (the panel's
# settings through its own xfconfd), the helper's stand-in on a private
# system bus. Checks, the way a user meets them:
#   - the panel's watcher registers the item and the panel draws it
#     (the connected image's green dot in a screenshot of the panel);
#   - its title and tool tip name the product and the state;
#   - a left click and a right click on the item each open its menu;
#   - the drawn state follows the helper: gone at once when the helper
#     leaves the bus, back at once (well before the 30 s refresh) when it
#     returns.
# Usage: tray_xfce_panel_test.sh BIN_DIR SCREENSHOT_DIR
set -euo pipefail
# shellcheck source=/dev/null
source "$(dirname "$0")/../../../../support/private-system-bus.sh"
bin_dir=$1
shots=$2

command -v xfce4-panel >/dev/null || { echo "SKIP: xfce4-panel missing (scripts/install-deps.sh)"; exit 77; }

work=$(mktemp -d /tmp/vora-xfce-XXXXXX)
pids=()
cleanup() {
    exec 3>&- 2>/dev/null || true
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
    [ -n "${session_pid:-}" ] && kill "$session_pid" 2>/dev/null
    wait 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT
mkdir -p "$shots"

fail() {
    echo "FAIL: $*"
    echo "--- VORAMenuBar"; cat "$work/menubar.out" 2>/dev/null || true
    echo "--- xfce4-panel"; cat "$work/panel.out" 2>/dev/null || true
    exit 1
}

. "$(dirname "$0")/../../../../support/wait-for.sh"

shoot() { import -window root "$shots/$1.png"; }

# The connected image's green status dot in the panel (top 40 rows): its
# pixel count, or (green_box) its bounding box WxH+X+Y.
green_dot() {
    convert "$shots/panel.png" -crop 640x40+0+0 +repage -alpha off -fuzz 12% +transparent '#2eb85c' \
        -alpha extract -format "$1" info:
}
green_in_panel() {
    shoot panel
    green_dot '%[fx:round(mean*w*h)]'
}
shows_connected() { [ "$(green_in_panel)" -ge 10 ]; }
shows_no_state() { [ "$(green_in_panel)" -eq 0 ]; }

# Lit pixels below the panel, where nothing but a menu is drawn on the
# bare root window. The panel's tool tip (light text on a dark box, a few
# hundred lit pixels) is no menu (a light box, tens of thousands).
lit_below_panel() {
    shoot "$1"
    convert "$shots/$1.png" -crop 640x260+0+40 -colorspace gray -threshold 30% \
        -format '%[fx:round(mean*w*h)]' info:
}
menu_is_open() { [ "$(lit_below_panel menu)" -ge 6000 ]; }
menu_is_closed() { [ "$(lit_below_panel nomenu)" -lt 3000 ]; }

session_call() { # session_call DEST PATH INTERFACE.METHOD ARGS...
    dbus-send --session --print-reply --dest="$1" "$2" "$3" "${@:4}"
}
item_property() {
    session_call "$item_service" "$item_path" org.freedesktop.DBus.Properties.Get \
        string:org.kde.StatusNotifierItem "string:$1"
}

# No accessibility bus: nothing here listens to it, and it would outlive the test.
export NO_AT_BRIDGE=1 GTK_A11Y=none QT_LINUX_ACCESSIBILITY_ALWAYS_ON=0
export VORA_AGENT_ROOT=$work/root HOME=$work/home XDG_CONFIG_HOME=$work/config \
    XDG_CACHE_HOME=$work/cache XDG_DATA_HOME=$work/data XDG_RUNTIME_DIR=$work/run
mkdir -p "$VORA_AGENT_ROOT/Orvel/VORA/data" "$HOME" "$XDG_RUNTIME_DIR" \
    "$XDG_CONFIG_HOME/xfce4/xfconf/xfce-perchannel-xml"
chmod 700 "$XDG_RUNTIME_DIR"
echo "launchmenu=true" >"$VORA_AGENT_ROOT/Orvel/VORA/data/arn.conf"
# One panel along the top, holding only the status tray.
cat >"$XDG_CONFIG_HOME/xfce4/xfconf/xfce-perchannel-xml/xfce4-panel.xml" <<'EOF'
<?xml version="1.0" encoding="UTF-8"?>
<channel name="xfce4-panel" version="1.0">
  <property name="configver" type="int" value="2"/>
  <property name="panels" type="array">
    <value type="int" value="1"/>
    <property name="panel-1" type="empty">
      <property name="position" type="string" value="p=6;x=0;y=0"/>
      <property name="length" type="uint" value="100"/>
      <property name="position-locked" type="bool" value="true"/>
      <property name="size" type="uint" value="32"/>
      <property name="plugin-ids" type="array">
        <value type="int" value="1"/>
      </property>
    </property>
  </property>
  <property name="plugins" type="empty">
    <property name="plugin-1" type="string" value="systray"/>
  </property>
</channel>
EOF

display=$((100 + RANDOM % 400))
Xvfb ":$display" -screen 0 640x300x24 -nolisten tcp >/dev/null 2>&1 & pids+=($!)
export DISPLAY=":$display"
wait_for 10 xdpyinfo || fail "Xvfb did not start"

start_private_system_bus "$work"
pids+=("$PRIVATE_BUS_PID")
# A session bus of the test's own; it starts xfconfd on demand with this
# environment, so the panel reads the settings above.
dbus-daemon --session --fork --print-address=4 --print-pid=5 4>"$work/session.address" 5>"$work/session.pid"
session_pid=$(cat "$work/session.pid")
DBUS_SESSION_BUS_ADDRESS=$(head -n 1 "$work/session.address")
export DBUS_SESSION_BUS_ADDRESS

mkfifo "$work/helper-in"
start_helper() {
    "$bin_dir/vora-agent" helper --connected --no-authorization <"$work/helper-in" >"$work/helper.out" &
    helper_pid=$!
    exec 3>"$work/helper-in"
    wait_for 10 grep -q ready "$work/helper.out" || fail "the helper did not start"
}
start_helper

xfce4-panel --disable-wm-check >"$work/panel.out" 2>&1 & pids+=($!)
wait_for 30 session_call org.freedesktop.DBus / org.freedesktop.DBus.NameHasOwner \
    string:org.kde.StatusNotifierWatcher || fail "the panel's status tray did not start"
wait_for 30 sh -c "dbus-send --session --print-reply --dest=org.kde.StatusNotifierWatcher \
    /StatusNotifierWatcher org.freedesktop.DBus.Properties.Get string:org.kde.StatusNotifierWatcher \
    string:IsStatusNotifierHostRegistered | grep -q 'boolean true'" || fail "no host registered"

"$bin_dir/VORAMenuBar" >"$work/menubar.out" 2>&1 & pids+=($!)

# Registered by the panel's watcher, as "bus-name/object-path" or a bus name.
registered() {
    dbus-send --session --print-reply --dest=org.kde.StatusNotifierWatcher /StatusNotifierWatcher \
        org.freedesktop.DBus.Properties.Get string:org.kde.StatusNotifierWatcher \
        string:RegisteredStatusNotifierItems | grep -o 'string "[^"]*StatusNotifierItem[^"]*"' | head -n 1
}
wait_for 30 registered || fail "the panel did not register the item"
entry=$(registered | sed 's/^string "//; s/"$//')
item_service=${entry%%/*}
item_path=/${entry#*/}
[ "$item_path" != "/$entry" ] || item_path=/StatusNotifierItem
echo "registered by xfce4-panel: $entry"

wait_for 30 shows_connected || fail "the panel does not show the connected state"
title=$(item_property Title)
[[ $title == *'"VORA agent"'* ]] || fail "title: $title"
tip=$(item_property ToolTip)
[[ $tip == *'"VORA agent: connected"'* ]] || fail "tool tip: $tip"

# Where the panel drew the item: above its green dot, halfway down the
# 32 pixels of the panel.
box=$(green_dot '%@')
[[ $box =~ ^([0-9]+)x[0-9]+\+([0-9]+)\+([0-9]+)$ ]] || fail "no green dot in the panel ($box)"
click_x=$((BASH_REMATCH[2] + BASH_REMATCH[1] / 2))
click_y=16
echo "item drawn around x=$click_x (its green dot: $box)"
menu_is_closed || fail "something is drawn below the panel before any click"

for button in 1 3; do
    xdotool mousemove "$click_x" "$click_y" click "$button"
    wait_for 10 menu_is_open || fail "button $button on the item opened no menu"
    cp "$shots/menu.png" "$shots/menu-button-$button.png"
    xdotool key Escape
    xdotool mousemove 600 280
    wait_for 10 menu_is_closed || fail "the menu of button $button does not close"
done

# The helper leaves the bus: the item shows it at once; it comes back: the
# state returns at once, not at the next 30 s refresh.
kill "$helper_pid"
wait "$helper_pid" 2>/dev/null || true
exec 3>&-
wait_for 10 shows_no_state || fail "the item still shows the connected state without a helper"
tip=$(item_property ToolTip)
[[ $tip == *'"VORA agent: '* && $tip != *connected* ]] || fail "tool tip after the helper left: $tip"
start_helper
wait_for 10 shows_connected || fail "the item did not show the returned helper's state at once"
grep -q "The agent helper appeared on the system bus" "$work/menubar.out" || fail "no line for the helper's return"
echo "xfce4-panel: item registered, drawn, both clicks open its menu, state follows the helper"
