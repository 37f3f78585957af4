#!/bin/bash
# A booted systemd for the tests: system manager, journald, the system bus
# and logind in PID, mount, UTS, IPC and network namespaces of their own,
# over an overlay of the machine's root whose upper layer is a tmpfs. Every
# mount is made inside the rig's mount namespace, so it goes with the rig;
# nothing is booted over the machine's root (systemd-tmpfiles would empty
# the real /tmp, other units write the real /var and /etc).
#
#   rig.sh boot STATE     boots; STATE (an empty folder of the caller's)
#                         gets "pid" (the rig's init as this machine sees
#                         it) and "console" (its output). Status 77 with one
#                         line when this machine cannot boot systemd in a
#                         namespace.
#   rig.sh run STATE CMD  runs CMD inside the rig as root
#   rig.sh stop STATE     ends the rig: every process of it, every mount;
#                         done by itself when the caller of boot ends first
#
# Inside, the machine's enabled units are left out (its *.target.wants
# folders removed in the overlay), /etc/passwd is readable (a session bus
# needs it), and BIND (the build tree) is bound read-only at its own path.
set -u

state=${2:-}
[ -n "$state" ] || { echo "usage: rig.sh boot|run|stop STATE [CMD...]" >&2; exit 2; }

rig_pid() { cat "$state/pid" 2>/dev/null; }

inside() {
    local pid
    pid=$(rig_pid) || return 1
    nsenter --target "$pid" --mount --pid --uts --ipc --net --root --wd=/ -- "$@"
}

skip() {
    echo "SKIP: this machine cannot boot systemd in a namespace: $*"
    exit 77
}

# Run by the namespaces' first process: builds the root and becomes init.
setup_and_exec() {
    local root=$state/root layers=$state/layers
    mount --make-rprivate / &&
        mount -t tmpfs -o mode=0755 rig-layers "$layers" &&
        mkdir -p "$layers/upper" "$layers/work" &&
        mount -t overlay overlay -o "lowerdir=/,upperdir=$layers/upper,workdir=$layers/work" "$root" ||
        { echo "rig: cannot make the overlay root" >&2; exit 1; }
    mount -t proc proc "$root/proc" &&
        mount -t tmpfs -o mode=0755 rig-run "$root/run" &&
        mount -t tmpfs -o mode=1777 rig-tmp "$root/tmp" &&
        mount --rbind /sys "$root/sys" ||
        { echo "rig: cannot mount /proc, /run, /tmp or /sys" >&2; exit 1; }
    if [ -n "${RIG_BIND:-}" ]; then
        mount --bind "$RIG_BIND" "$root$RIG_BIND" && mount -o remount,bind,ro "$root$RIG_BIND"
    fi
    # A fresh /dev: the machine's own is not the rig's to populate.
    mount -t tmpfs -o mode=0755,nosuid rig-dev "$root/dev" || exit 1
    for node in null zero full random urandom tty; do
        touch "$root/dev/$node" && mount --bind "/dev/$node" "$root/dev/$node"
    done
    mkdir -p "$root/dev/pts" "$root/dev/shm"
    mount -t devpts -o newinstance,ptmxmode=0666,mode=0620 devpts "$root/dev/pts"
    ln -s pts/ptmx "$root/dev/ptmx"
    mount -t tmpfs -o mode=1777 rig-shm "$root/dev/shm"
    rm -rf "$root"/etc/systemd/system/*.target.wants "$root"/etc/systemd/user/*.target.wants
    # Units that would change this machine's kernel or take its console.
    for unit in systemd-sysctl.service systemd-modules-load.service systemd-binfmt.service \
        console-getty.service getty@.service serial-getty@.service proc-sys-fs-binfmt_misc.automount \
        systemd-random-seed.service systemd-hwdb-update.service systemd-firstboot.service; do
        ln -sf /dev/null "$root/etc/systemd/system/$unit"
    done
    chmod 0644 "$root/etc/passwd" "$root/etc/group"
    echo "rig" >"$root/etc/hostname"
    exec chroot "$root" /usr/bin/env -i container=vora-rig /lib/systemd/systemd --system \
        --log-target=console --show-status=no
}

boot() {
    [ "$(id -u)" -eq 0 ] || skip "needs root"
    [ -x /lib/systemd/systemd ] || skip "no /lib/systemd/systemd"
    for tool in unshare nsenter chroot; do
        command -v "$tool" >/dev/null || skip "no $tool"
    done
    mkdir -p "$state/root" "$state/layers" || exit 1
    # The rig's systemd makes its cgroups in this machine's hierarchies;
    # stop removes those that were not there before.
    find /sys/fs/cgroup -mindepth 2 -maxdepth 2 -type d | sort >"$state/cgroups-before"
    # Probe: the namespaces and an overlay over / (a container may refuse either).
    unshare --mount --pid --uts --ipc --net --fork -- sh -c \
        "mount -t tmpfs none '$state/layers' && mkdir '$state/layers/u' '$state/layers/w' &&
         mount -t overlay overlay -o lowerdir=/,upperdir='$state/layers/u',workdir='$state/layers/w' '$state/root'" \
        2>"$state/probe" || skip "$(head -1 "$state/probe")"
    setsid unshare --mount --pid --uts --ipc --net --fork --kill-child -- \
        "$0" exec-init "$state" >"$state/console" 2>&1 </dev/null &
    echo $! >"$state/unshare"
    local pid=""
    for _ in $(seq 100); do
        pid=$(cat "/proc/$(cat "$state/unshare")/task/"*/children 2>/dev/null | awk '{print $1}')
        [ -n "$pid" ] && [ "$(cat "/proc/$pid/comm" 2>/dev/null)" = systemd ] && break
        pid=""
        sleep 0.1
    done
    [ -n "$pid" ] || { echo "rig: init did not start:" >&2; cat "$state/console" >&2; stop; exit 1; }
    echo "$pid" >"$state/pid"
    # Should the caller die without stopping the rig (killed at its
    # time-out), the rig goes too.
    local owner=$PPID
    setsid "$0" watch "$state" "$owner" </dev/null >/dev/null 2>&1 &
    local status=""
    for _ in $(seq 600); do
        status=$(inside systemctl is-system-running 2>/dev/null)
        case $status in running | degraded) return 0 ;; esac
        sleep 0.1
    done
    echo "rig: systemd did not finish booting ($status):" >&2
    inside systemctl --failed --no-pager >&2
    tail -20 "$state/console" >&2
    stop
    exit 1
}

# SIGKILL to the namespace's init ends every process in it; its mount
# namespace, and every mount made there, goes with the last of them.
stop() {
    local unshare pid
    pid=$(rig_pid)
    unshare=$(cat "$state/unshare" 2>/dev/null)
    [ -n "$pid" ] && kill -KILL "$pid" 2>/dev/null
    [ -n "$unshare" ] && kill -KILL "$unshare" 2>/dev/null
    for _ in $(seq 100); do
        { [ -z "$pid" ] || [ ! -e "/proc/$pid" ]; } && { [ -z "$unshare" ] || [ ! -e "/proc/$unshare" ]; } && break
        sleep 0.1
    done
    rm -f "$state/pid" "$state/unshare"
    # The rig's cgroups in this machine's hierarchies, empty now (rmdir
    # refuses one that is not).
    [ -f "$state/cgroups-before" ] || return 0
    local left
    for _ in $(seq 50); do
        left=$(find /sys/fs/cgroup -mindepth 2 -maxdepth 2 -type d | sort | comm -13 "$state/cgroups-before" -)
        [ -z "$left" ] && return 0
        for top in $left; do find "$top" -depth -type d -exec rmdir {} + 2>/dev/null; done
        sleep 0.1
    done
    echo "rig: cgroups left behind: $left" >&2
    return 1
}

watch() {
    local owner=$1
    while [ -e "$state/pid" ] && kill -0 "$owner" 2>/dev/null; do sleep 1; done
    [ -e "$state/pid" ] && stop
}

case ${1:-} in
boot) boot ;;
watch) watch "$3" ;;
exec-init) setup_and_exec ;;
run) shift 2; inside "$@" ;;
stop) stop ;;
*) echo "usage: rig.sh boot|run|stop STATE [CMD...]" >&2; exit 2 ;;
esac
