#!/bin/bash
# Time to visible through the user's own service manager, end to end: from
# the start of a launch to the window's frame mapped on her GNOME Shell
# (Xwayland), timed by vora_map_timer (the X server's MapNotify). In a
# booted rig with her session (tests/system/rig.sh, session.sh); in
# interleaved rounds:
#   agent        vora-agent dialog --user U (as root, as an agent does)
#   systemd-run  systemd-run --user VUserAlert (as her, through her manager)
#   zenity       systemd-run --user zenity --info (GDK_BACKEND=x11)
# Prints each series' median and the ratios. Needs root; skips (status 77)
# where the rig cannot boot.
# Usage: bench/desktop_launch.sh BIN_DIR [ROUNDS]
set -u
bin=$(cd "$1" && pwd)
rounds=${2:-9}
here=$(cd "$(dirname "$0")" && pwd)
rig=$here/../tests/system/rig.sh
command -v zenity >/dev/null || { echo "desktop_launch: no zenity (Debian: zenity)" >&2; exit 1; }
state=$(mktemp -d "${TMPDIR:-/tmp}/vora-bench-rig.XXXXXX")
trap '"$rig" stop "$state"; rm -rf "$state"' EXIT
trap 'exit 1' INT TERM HUP
# shellcheck source=../tests/system/session.sh
. "$here/../tests/system/session.sh"

"$rig" boot "$state" || exit $?
session_user
session_login
session_desktop
data=/var/lib/vora-bench
in_rig mkdir -p "$data/root"
in_rig env VORA_AGENT_ROOT="$data/root" "$bin/vora-agent" prepare >/dev/null

# One round of the three, timed inside the rig; each window is closed
# (its unit stopped) before the next launch, so each map is the launch's.
in_rig tee "$data/round" >/dev/null <<SCRIPT
#!/bin/bash
n=\$1
her=(setpriv --reuid=$uid --regid=$uid --init-groups env HOME=/home/$user XDG_RUNTIME_DIR=/run/user/$uid
    DBUS_SESSION_BUS_ADDRESS=unix:path=/run/user/$uid/bus)
timer() { env DISPLAY=$x_display XAUTHORITY=$xauth "$bin/vora_map_timer" "\$@"; }
close() { "\${her[@]}" systemctl --user stop "\$1" 2>/dev/null; sleep 0.3; }
echo "agent \$(timer env VORA_AGENT_ROOT=$data/root "$bin/vora-agent" dialog --user $user -- \\
    -name=Bench -message=Hello -ok -suffix=bench-a)"
close 'vora-dialog-*'
echo "systemd-run \$(timer "\${her[@]}" systemd-run --user --quiet --unit=bench-b-\$n \\
    -E VORA_AGENT_ROOT=$data/root "$bin/VUserAlert" -name=Bench -message=Hello -ok -suffix=bench-b)"
close bench-b-\$n
echo "zenity \$(timer "\${her[@]}" systemd-run --user --quiet --unit=bench-c-\$n -E GDK_BACKEND=x11 \\
    zenity --info --text=Hello)"
close bench-c-\$n
SCRIPT
in_rig chmod 755 "$data/round"
in_rig "$data/round" warm-up >/dev/null
for n in $(seq "$rounds"); do in_rig "$data/round" "$n"; done | tee "$state/samples" >&2

median() { grep "^$1 [0-9]" "$state/samples" | awk '{print $2}' | sort -n | awk '{v[NR]=$1} END {
    if (NR == 0) exit 1; print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }
agent=$(median agent) && run=$(median systemd-run) && zenity=$(median zenity) ||
    { echo "desktop_launch: a series has no sample (see above)" >&2; exit 1; }
echo "== time to visible on her GNOME Shell (Xwayland), medians of $rounds interleaved rounds"
awk -v a="$agent" -v r="$run" -v z="$zenity" 'BEGIN {
    printf "vora-agent dialog --user:      %7.1f ms\n", a
    printf "systemd-run --user VUserAlert: %7.1f ms\n", r
    printf "systemd-run --user zenity:     %7.1f ms\n", z
    printf "dialog through the agent / zenity: %.2fx; the agent adds %+.1f ms to systemd-run\n", a / z, a - r }'
