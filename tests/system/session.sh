# A user's graphical session in a booted rig (rig.sh), as a desktop makes
# one: she logs in through PAM (logind opens her session, her own service
# manager starts), GNOME Shell runs headless on Wayland with Xwayland, and
# its DISPLAY, WAYLAND_DISPLAY and XAUTHORITY are put into her manager as
# gnome-session does. Sourced by launch_test.sh and bench/desktop_launch.sh
# after they set rig and state:
#
#   session_user             picks a uid free here and in the rig: $uid, $user
#   session_login            her PAM session and service manager
#   session_desktop          her GNOME Shell; then $x_display, $wayland_display
#                            and $xauth (its X cookie) name her displays
#   in_rig CMD / as_user CMD / as_desktop CMD   (root / her / her, on Xwayland)
#   wait_for SECONDS CMD     until CMD succeeds

in_rig() { "$rig" run "$state" "$@"; }

as_user() {
    in_rig setpriv --reuid="$uid" --regid="$uid" --init-groups \
        env HOME="/home/$user" XDG_RUNTIME_DIR="/run/user/$uid" \
        DBUS_SESSION_BUS_ADDRESS="unix:path=/run/user/$uid/bus" "$@"
}

as_desktop() { as_user env DISPLAY="$x_display" XAUTHORITY="$xauth" "$@"; }

wait_for() {
    local tries=$(($1 * 10))
    shift
    for _ in $(seq "$tries"); do "$@" >/dev/null 2>&1 && return 0; sleep 0.1; done
    return 1
}

# The rig's passwd starts as this machine's copy: a uid free in both.
session_user() {
    uid=4711
    user=vorarig
    while getent passwd "$uid" >/dev/null || in_rig getent passwd "$uid" >/dev/null; do uid=$((uid + 1)); done
    in_rig useradd -m -u "$uid" -s /bin/sh "$user" || { echo "FAIL: useradd in the rig"; exit 1; }
}

session_login() {
    in_rig systemd-run --quiet --unit=rig-session -p PAMName=login -p User="$user" sleep infinity
    wait_for 30 in_rig test -S "/run/user/$uid/systemd/private" || { echo "FAIL: no user manager"; exit 1; }
}

shell_property() { # shell_property NAME [VALUE]
    local call=(gdbus call --session --dest org.gnome.Shell --object-path /org/gnome/Shell
        --method org.freedesktop.DBus.Properties)
    if [ $# -eq 2 ]; then
        as_user "${call[@]}.Set" org.gnome.Shell "$1" "$2" >/dev/null
    else
        as_user "${call[@]}.Get" org.gnome.Shell "$1"
    fi
}

overview_closed() { [ "$(shell_property OverviewActive)" = "(<false>,)" ]; }

# Its log names the displays: "Using public X11 display :0, (using :1 for
# managed services)", "Using Wayland display name 'wayland-0'".
shell_ready() {
    local log
    log=$(in_rig cat /var/log/rig-shell.log)
    case $log in *"GNOME Shell started at"*) ;; *) return 1 ;; esac
    x_display=$(sed -n 's/.*Using public X11 display \(:[0-9]*\).*/\1/p' <<<"$log" | head -1)
    wayland_display=$(sed -n "s/.*Using Wayland display name '\([^']*\)'.*/\1/p" <<<"$log" | head -1)
    xauth=$(in_rig sh -c "ls /run/user/$uid/.mutter-Xwaylandauth.* 2>/dev/null" | head -1)
    [ -n "$xauth" ] && as_desktop xdpyinfo >/dev/null 2>&1
}

# Started as a plain process of hers (a system unit with her uid): as a
# unit of her manager it would wait for gnome-session's targets before
# bringing Xwayland up.
session_desktop() {
    as_user gsettings set org.gnome.desktop.interface enable-animations false
    in_rig systemd-run --quiet --unit=rig-shell -p User="$user" -p StandardOutput=file:/var/log/rig-shell.log \
        -p StandardError=file:/var/log/rig-shell.log -E HOME="/home/$user" -E XDG_RUNTIME_DIR="/run/user/$uid" \
        -E DBUS_SESSION_BUS_ADDRESS="unix:path=/run/user/$uid/bus" \
        gnome-shell --headless --wayland --virtual-monitor 1280x800
    if ! wait_for 60 shell_ready; then
        echo "FAIL: GNOME Shell did not come up with Xwayland:"
        in_rig tail -20 /var/log/rig-shell.log
        exit 1
    fi
    # The start-up overview would show new windows as thumbnails.
    shell_property OverviewActive '<false>'
    wait_for 10 overview_closed || echo "WARNING: the shell stays in its overview"
    as_user systemctl --user set-environment DISPLAY="$x_display" WAYLAND_DISPLAY="$wayland_display" \
        XAUTHORITY="$xauth"
}
