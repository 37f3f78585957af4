#!/bin/bash
# vora-agent dialog --user U on a booted systemd (rig.sh): U logged in
# through PAM with her own service manager, her GNOME Shell (headless,
# Wayland with Xwayland) whose displays are in her manager's environment as
# a desktop session puts them there (session.sh), and the stand-in agent as
# a system service. Checks:
#   1. the dialog runs as a unit of her manager, in her slice, with nothing
#      of the agent's, on her Xwayland, above the window she activates; a
#      click on Yes gives the JSON answer;
#   2. the agent's service restarted while the dialog is open: the dialog
#      stays, the click's answer is written, and the agent that comes back
#      reads it;
#   3. a dialog that leaves a setsid descendant: after the bound nothing of
#      it runs;
#   4. her manager stopped: the fallback's line, the dialog in a scope of
#      her slice, its output flood capped on the agent's side, and a setsid
#      descendant ended at the bound there too;
#   5. (run before 4) a link she puts at her manager's socket is refused.
# Usage: launch_test.sh BIN_DIR WORK_DIR. Status 77 with one line: skipped.
set -u
bin=$(cd "$1" && pwd)
work=$2
here=$(cd "$(dirname "$0")" && pwd)
rig=$here/rig.sh
mkdir -p "$work"
state=$(mktemp -d "$work/rig.XXXXXX")
trap '"$rig" stop "$state"; rm -rf "$state"' EXIT
trap 'exit 1' INT TERM HUP
# shellcheck source=session.sh
. "$here/session.sh"

"$rig" boot "$state"
booted=$?
[ $booted -eq 77 ] && exit 77
[ $booted -eq 0 ] || { echo "FAIL: the rig did not boot"; exit 1; }

failures=0
check() { # check DESCRIPTION COMMAND...
    local description=$1
    shift
    if "$@"; then
        echo "ok - $description"
    else
        echo "not ok - $description"
        failures=$((failures + 1))
    fi
}

session_user
session_login
session_desktop
data=/var/lib/vora-rig
in_rig mkdir -p "$data/root"

agent_env=(-E "VORA_AGENT_ROOT=$data/root" -E AGENT_SECRET=s3cr3t -E LD_LIBRARY_PATH=/root/private)
in_rig env VORA_AGENT_ROOT="$data/root" "$bin/vora-agent" prepare >/dev/null || { echo "FAIL: prepare"; exit 1; }

# agent UNIT DIALOG-OPTIONS...: the stand-in as a system service; its
# report in $data/UNIT.json, its standard error in $data/UNIT.err. The
# service stays up after vora-agent's end (RemainAfterExit), as an agent's
# does between dialogs: what is left in its cgroup stays until it stops.
agent() {
    local unit=$1
    shift
    in_rig systemd-run --quiet --unit="$unit" -p RemainAfterExit=yes -p StandardOutput="file:$data/$unit.json" \
        -p StandardError="file:$data/$unit.err" "${agent_env[@]}" "$bin/vora-agent" dialog --user "$user" "$@"
}
agent_done() { [ "$(in_rig systemctl show -P ExecMainCode "$1")" != 0 ]; }
dialog_pid() { # the first process of hers named $1 (VUserAlert)
    local found
    found=$(in_rig pgrep -u "$uid" -x "${1:-VUserAlert}" | head -1)
    [ -n "$found" ] && echo "$found"
}
window_of() { as_desktop timeout 20 xdotool search --sync --onlyvisible --name "^$1\$" | head -1; }
click_yes() { # the Yes button: 100x32 at (145, 293) of the 500x340 dialog
    local window
    window=$(window_of "$1")
    [ -n "$window" ] && as_desktop xdotool mousemove --window "$window" 195 309 click 1
}
# Whether the window manager stacks window $1 above window $2; in
# _NET_CLIENT_LIST_STACKING "0x60002c, 0x400006" the last is on top.
stacked_above() {
    local order
    order=$(as_desktop xprop -root _NET_CLIENT_LIST_STACKING | tr -d ',' | tr ' ' '\n' | grep '^0x' |
        while read -r id; do echo ":$((id)):"; done | tr -d '\n')
    case $order in *":$2:"*":$1:"*) return 0 ;; esac
    echo "stacking, bottom to top: $order"
    return 1
}
active_is() { [ "$(as_desktop xdotool getactivewindow)" = "$1" ]; }
in_cgroup() { [ -n "$1" ] && in_rig grep -q "$2" "/proc/$1/cgroup"; }
no_secret() { [ -n "$1" ] && in_rig test -r "/proc/$1/environ" && ! in_rig grep -qaE 'AGENT_SECRET|LD_LIBRARY_PATH' "/proc/$1/environ"; }
gone() { ! in_rig pgrep -u "$uid" -f "$1"; }
report_has() { in_rig grep -q "$2" "$data/$1.json"; }

# 1. Through her manager, on her Xwayland, above the window she works in.
agent agent1 -- -name=Rig -message=Hello -yesno -suffix=rig1
wait_for 20 dialog_pid
pid=$(dialog_pid)
check "the dialog runs (pid ${pid:-none})" test -n "$pid"
check "in her manager's app slice" in_cgroup "$pid" "^0::/user.slice/user-$uid.slice/user@$uid.service/app.slice/vora-dialog-"
check "with nothing of the agent's environment" no_secret "$pid"
dialog=$(window_of Rig)
check "its window is on her Xwayland ($x_display)" test -n "$dialog"
as_user systemd-run --user --quiet --unit=rig-window xmessage -geometry 1000x640+140+120 "an ordinary window"
ordinary=$(window_of xmessage)
[ -n "$ordinary" ] && as_desktop xdotool windowactivate "$ordinary"
check "the window she opened after it is the active one" wait_for 5 active_is "$ordinary"
check "the dialog stays above it" stacked_above "$dialog" "$ordinary"
as_user systemctl --user stop rig-window
check "a click on Yes" click_yes Rig
wait_for 20 agent_done agent1
check "the agent reports the answer yes" report_has agent1 '"result": "yes"'
in_rig systemctl stop agent1

# 2. The agent's service restarted while the dialog is open: started again,
#    the agent reads the answer of the dialog it left open.
in_rig tee "$data/restartable" >/dev/null <<SCRIPT
#!/bin/sh
if [ -e "\$0.started" ]; then
    exec "$bin/vora-agent" answer --suffix rig2 --user "$user" --wait 60
fi
touch "\$0.started"
exec "$bin/vora-agent" dialog --user "$user" -- -name=Restart -message=Hello -yesno -suffix=rig2
SCRIPT
in_rig chmod 755 "$data/restartable"
in_rig systemd-run --quiet --unit=agent2 -p StandardOutput="append:$data/agent2.json" \
    -p StandardError="append:$data/agent2.err" "${agent_env[@]}" "$data/restartable"
wait_for 20 dialog_pid
pid=$(dialog_pid)
in_rig systemctl restart agent2
check "the dialog stays when the agent's service restarts" in_rig test -n "$pid" -a -e "/proc/$pid"
check "a click on Yes after the restart" click_yes Restart
answered() { in_rig sh -c "grep -rl yes '$data/root' | grep -q rig2"; }
check "the answer is written" wait_for 30 answered
check "the agent that came back reads it" wait_for 30 report_has agent2 '"result": "yes"'

# 3. A setsid descendant ends with the dialog at the bound (-timeout=1: 16 s).
in_rig tee "$data/hang" >/dev/null <<'SCRIPT'
#!/bin/sh
setsid sleep 7777 &
trap '' TERM
while :; do sleep 1; done
SCRIPT
in_rig chmod 755 "$data/hang"
agent agent3 --program "$data/hang" -- -name=Hang -timeout=1
check "the hung dialog's descendant starts" wait_for 20 dialog_pid "sleep"
wait_for 40 agent_done agent3
check "the agent ended it at its bound" report_has agent3 '"endedByAgent": {'
check "nothing of it runs after the bound" wait_for 10 gone 'sleep 7777'
in_rig systemctl stop agent3

# 5. Her manager's socket is in her directory: a link she puts there (to
#    the system manager's socket, which would run the dialog as root) is
#    refused, and the dialog runs as her all the same.
private=/run/user/$uid/systemd/private
as_user mv "$private" "$private.real"
as_user ln -s /run/systemd/private "$private"
in_rig tee "$data/who" >/dev/null <<'SCRIPT'
#!/bin/sh
id
SCRIPT
in_rig chmod 755 "$data/who"
agent agent5 --program "$data/who" -- -name=Planted
wait_for 20 agent_done agent5
check "a link she planted at her manager's socket is refused" \
    in_rig grep -q "$private is served by pid 1 (uid 0), not by the manager" "$data/agent5.err"
check "the dialog runs as her all the same" in_rig grep -q "^uid=$uid(" "$data/agent5.err"
in_rig systemctl stop agent5
as_user rm "$private"
as_user mv "$private.real" "$private"

# 4. Her manager stopped: the agent starts the dialog itself.
in_rig systemctl stop "user@$uid.service"
in_rig tee "$data/flood" >/dev/null <<'SCRIPT'
#!/bin/sh
setsid sleep 8888 &
head -c 5000000 /dev/zero | tr '\0' x
trap '' TERM
while :; do sleep 1; done
SCRIPT
in_rig chmod 755 "$data/flood"
agent agent4 --program "$data/flood" -- -name=Flood -timeout=1
wait_for 20 dialog_pid flood
pid=$(dialog_pid flood)
check "the fallback's dialog runs in a scope of her slice" in_cgroup "$pid" "^0::/user.slice/user-$uid.slice/vora-dialog-"
wait_for 40 agent_done agent4
check "the fallback says so" in_rig grep -q "no service manager of uid $uid to start the dialog in" "$data/agent4.err"
size=$(in_rig stat -c %s "$data/agent4.err")
check "nothing of it runs after the bound" wait_for 10 gone 'sleep 8888'
in_rig systemctl stop agent4
check "the flood reaches the agent capped ($size bytes)" test "$size" -lt 1100000
check "the dropped bytes are reported" in_rig grep -q "beyond the cap of 1048576 bytes" "$data/agent4.err"

if [ $failures -ne 0 ]; then
    echo "--- agent errors"
    in_rig sh -c "tail -c 2000 $data/agent1.err $data/agent2.err $data/agent3.err; head -c 1000 $data/agent4.err"
    echo "FAIL: $failures checks failed"
    exit 1
fi
echo "PASS"
