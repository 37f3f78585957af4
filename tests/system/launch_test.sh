#!/bin/bash
# vora-agent dialog --user U on a booted systemd (rig.sh): U logged in
# through PAM with her own service manager, an X server (Xvfb) whose
# DISPLAY is in her manager's environment as a desktop session puts it
# there, and the stand-in agent as a system service. Checks:
#   1. the dialog runs as a unit of her manager, in her slice, with nothing
#      of the agent's; a click on Yes gives the JSON answer;
#   2. the agent's service stopped while the dialog is open: the dialog
#      stays, and the click's answer is written;
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
in_rig() { "$rig" run "$state" "$@"; }

# A uid free on this machine too (the rig's passwd starts as its copy).
uid=4711
while getent passwd "$uid" >/dev/null || in_rig getent passwd "$uid" >/dev/null; do uid=$((uid + 1)); done
user=vorarig
data=/var/lib/vora-rig
in_rig useradd -m -u "$uid" -s /bin/sh "$user" || { echo "FAIL: useradd in the rig"; exit 1; }
in_rig mkdir -p "$data/root"
in_rig systemd-run --quiet --unit=rig-session -p PAMName=login -p User="$user" sleep infinity
as_user() {
    in_rig setpriv --reuid="$uid" --regid="$uid" --init-groups \
        env HOME="/home/$user" XDG_RUNTIME_DIR="/run/user/$uid" \
        DBUS_SESSION_BUS_ADDRESS="unix:path=/run/user/$uid/bus" "$@"
}
wait_for() { # wait_for SECONDS COMMAND...: until COMMAND succeeds
    local tries=$(($1 * 10))
    shift
    for _ in $(seq "$tries"); do "$@" >/dev/null 2>&1 && return 0; sleep 0.1; done
    return 1
}
wait_for 30 in_rig test -S "/run/user/$uid/systemd/private" || { echo "FAIL: no user manager"; exit 1; }
# Her display, put into her manager as a desktop session does.
in_rig systemd-run --quiet --unit=rig-x -p User="$user" Xvfb :7 -nolisten tcp -screen 0 1024x768x24
wait_for 30 in_rig test -S /tmp/.X11-unix/X7 || { echo "FAIL: no X server"; exit 1; }
as_user systemctl --user set-environment DISPLAY=:7

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
click_yes() { # the Yes button: 100x32 at (145, 293) of the 500x340 dialog
    local window
    window=$(in_rig timeout 20 env DISPLAY=:7 xdotool search --sync --onlyvisible --name "^$1\$" | head -1)
    [ -n "$window" ] && in_rig env DISPLAY=:7 xdotool mousemove --window "$window" 195 309 click 1
}
in_cgroup() { [ -n "$1" ] && in_rig grep -q "$2" "/proc/$1/cgroup"; }
no_secret() { [ -n "$1" ] && in_rig test -r "/proc/$1/environ" && ! in_rig grep -qaE 'AGENT_SECRET|LD_LIBRARY_PATH' "/proc/$1/environ"; }
gone() { ! in_rig pgrep -u "$uid" -f "$1"; }
report_has() { in_rig grep -q "$2" "$data/$1.json"; }

# 1. Through her manager.
agent agent1 -- -name=Rig -message=Hello -yesno -suffix=rig1
wait_for 20 dialog_pid
pid=$(dialog_pid)
check "the dialog runs (pid ${pid:-none})" test -n "$pid"
check "in her manager's app slice" in_cgroup "$pid" "^0::/user.slice/user-$uid.slice/user@$uid.service/app.slice/vora-dialog-"
check "with nothing of the agent's environment" no_secret "$pid"
check "a click on Yes" click_yes Rig
wait_for 20 agent_done agent1
check "the agent reports the answer yes" report_has agent1 '"result": "yes"'
in_rig systemctl stop agent1

# 2. The agent's service stopped while the dialog is open.
agent agent2 -- -name=Restart -message=Hello -yesno -suffix=rig2
wait_for 20 dialog_pid
pid=$(dialog_pid)
in_rig systemctl stop agent2
check "the dialog stays when the agent's service stops" in_rig test -n "$pid" -a -e "/proc/$pid"
check "a click on Yes after the agent's end" click_yes Restart
answered() { in_rig sh -c "grep -rl yes '$data/root' | grep -q rig2"; }
check "the answer is written" wait_for 30 answered

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
