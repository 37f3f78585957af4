#!/usr/bin/env bash
# Upgrade, remove and purge of vora-desktop as dpkg runs them, each time into
# a scratch root of its own (dpkg --root; the maintainer scripts see it in
# DPKG_ROOT). Upgrade and remove touch nothing below the agent data
# directory. Purge removes the marker directory with everything in it,
# whoever left it there (uid 4242 is a dialog's user, 4343 another user),
# without following a link out of it, and each other directory of the
# tmpfiles.d entry that is then empty and no other package owns: the
# agent's arn.conf, and the directories the agent's own package ships, stay.
# shellcheck source=tests/packaging/common.sh
. "$(dirname "$0")/common.sh"
[ "$(id -u)" -eq 0 ] || skip "needs root: dpkg installs into the scratch root as root"
: "${VORA_DATA_ROOT:?}"
scratch_dir
desktop=$(package_file vora-desktop)
data=$VORA_DATA_ROOT/Orvel/VORA/data

# dpkg on ROOT, with a database of its own there; the programs' libraries
# are not installed in it. Its output is in $work/dpkg.log.
in_root() {
    local root=$1
    shift
    mkdir -p "$root/var/lib/dpkg/info" "$root/var/lib/dpkg/updates"
    touch "$root/var/lib/dpkg/status"
    if ! dpkg --root="$root" --force-script-chrootless --force-depends --log=/dev/null "$@" \
        >"$work/dpkg.log" 2>&1; then
        cat "$work/dpkg.log"
        fail "dpkg $* failed"
    fi
}

# The agent's own package, as far as this matters: it ships the agent data
# directory and its parents, and a program below /opt.
agent_package() {
    local tree=$work/agent-package
    mkdir -p "$tree/DEBIAN" "$tree$data" "$tree/opt/Orvel/VORA/bin"
    printf '#!/bin/sh\n' >"$tree/opt/Orvel/VORA/bin/vora-agentd"
    chmod 0755 "$tree/opt/Orvel/VORA/bin/vora-agentd"
    printf '%s\n' "Package: vora-agent-fixture" "Version: 1.0" "Architecture: all" \
        "Maintainer: VORA tests <vora@orvel.example>" "Description: the agent's package, for tests" \
        " ships the agent data directory" >"$tree/DEBIAN/control"
    dpkg-deb --root-owner-group --build "$tree" "$work/agent.deb" >/dev/null
    echo "$work/agent.deb"
}

# What dialogs, the agent and other users leave in the marker directory of
# ROOT: answers and commands of two users, a directory of one of them, a
# FIFO, the log, and a link and a second name of files outside it.
fill_marker_directory() {
    local root=$1 user_dir=$1$data/user
    echo yes >"$user_dir/VUSERALERT_YES.pkg"
    echo 7:1F >"$user_dir/VUSERALERT_SNOOZE.pkg"
    chown 4242:4242 "$user_dir/VUSERALERT_YES.pkg" "$user_dir/VUSERALERT_SNOOZE.pkg"
    echo planted >"$user_dir/VUSERALERT_MESG.pkg"
    mkdir -p "$user_dir/planted/deeper"
    chown -R 4343:4343 "$user_dir/VUSERALERT_MESG.pkg" "$user_dir/planted"
    mkfifo "$user_dir/VUSERALERT_EXIT.pkg"
    touch "$user_dir/WORKCELL_DEBUG"
    install -m 0622 /dev/null "$user_dir/VAgent.log"
    install -m 0600 /dev/null "$root$data/VAgent-root.log"
    install -m 0600 /dev/null "$root$data/VAgent-root1.log"
    echo kept >"$root/precious"
    ln -s "$root/precious" "$user_dir/link-out"
    ln -s "$root/var/lib" "$user_dir/planted/deeper/dir-link-out"
    ln "$root/precious" "$user_dir/second-name"
}

# Fails unless every path after ROOT exists below it.
expect_present() {
    local root=$1 path
    shift
    for path in "$@"; do
        [ -e "$root$path" ] || [ -L "$root$path" ] || fail "$path is gone"
    done
}

expect_absent() {
    local root=$1 path
    shift
    for path in "$@"; do
        if [ -e "$root$path" ] || [ -L "$root$path" ]; then
            fail "$path is still there"
        fi
    done
}

marker_files=("$data/user/VUSERALERT_YES.pkg" "$data/user/VUSERALERT_SNOOZE.pkg" "$data/user/VUSERALERT_MESG.pkg"
    "$data/user/planted/deeper" "$data/user/VUSERALERT_EXIT.pkg" "$data/user/WORKCELL_DEBUG"
    "$data/user/VAgent.log" "$data/user/link-out" "$data/user/second-name")

# Alone: an upgrade (the same package again) and a remove keep everything;
# purge leaves nothing of the package, and nothing it did not make is lost.
root=$work/alone
in_root "$root" --install "$desktop"
fill_marker_directory "$root"
in_root "$root" --install "$desktop"
expect_present "$root" "${marker_files[@]}"
in_root "$root" --remove vora-desktop
expect_present "$root" "${marker_files[@]}" /etc/xdg/autostart/vora-menubar.desktop
[ "$(stat -c %a "$root$data/user")" = 1777 ] || fail "remove changed the marker directory"
in_root "$root" --purge vora-desktop
expect_absent "$root" "$VORA_DATA_ROOT/Orvel" /etc/xdg/autostart/vora-menubar.desktop
expect_present "$root" "$VORA_DATA_ROOT" /precious /var/lib/dpkg/status
[ "$(cat "$root/precious")" = kept ] || fail "purge changed a file outside through a link"
echo "alone: purge removed the marker directory with the files of uids 4242 and 4343, and every directory"

# Beside the agent's package: its directories stay, the marker directory goes.
root=$work/agent
in_root "$root" --install "$(agent_package)" "$desktop"
fill_marker_directory "$root"
in_root "$root" --purge vora-desktop
output=$(grep '^vora-desktop:' "$work/dpkg.log")
echo "$output"
expect_absent "$root" "$data/user"
expect_present "$root" "$data" /opt/Orvel/VORA/bin/vora-agentd
grep -qF "$data belongs to another package too" <<<"$output" || fail "purge did not say why $data stays"
echo "beside the agent's package: its directories stay"

# The agent's arn.conf keeps the data directory and its parents.
root=$work/config
in_root "$root" --install "$desktop"
fill_marker_directory "$root"
echo launchmenu=true >"$root$data/arn.conf"
in_root "$root" --purge vora-desktop
output=$(grep '^vora-desktop:' "$work/dpkg.log")
echo "$output"
expect_absent "$root" "$data/user"
[ "$(cat "$root$data/arn.conf")" = launchmenu=true ] || fail "purge changed arn.conf"
expect_absent "$root" "$data/VAgent-root.log" "$data/VAgent-root1.log"
# Each directory that stays is named with the file that keeps it.
for kept in "$data" "${data%/*}" "$VORA_DATA_ROOT/Orvel"; do
    grep -qxF "vora-desktop: $kept still holds $data/arn.conf, which the package did not make; left in place" \
        <<<"$output" || fail "purge did not name the file that keeps $kept"
done
echo "with the agent's arn.conf: it and its directories stay, each named with arn.conf"

# A uid with no account and no process: the user racing purge below.
free_uid() {
    local uid
    for uid in $(seq 4500 4599); do
        if ! getent passwd "$uid" >/dev/null && ! pgrep -U "$uid" >/dev/null; then
            echo "$uid"
            return 0
        fi
    done
    fail "no free uid in 4500-4599"
}

# A user creating entries in the marker directory as fast as her shell
# can, from inside it, while purge runs: she cannot keep it (rm would meet
# entries made after it read the directory).
root=$work/race
in_root "$root" --install "$desktop"
chmod 0711 "$work"
racer=$(free_uid)
# shellcheck disable=SC2016 # the user's own shell expands it
setpriv --reuid="$racer" --regid="$racer" --clear-groups bash -c \
    'cd "$1" || exit 1; for ((i = 0; ; i++)); do : >"e$i"; done 2>/dev/null' \
    racer "$root$data/user" &
racer_pid=$!
trap 'kill "$racer_pid" 2>/dev/null || true; rm -rf "$work"' EXIT
until compgen -G "$root$data/user/e*" >/dev/null; do
    kill -0 "$racer_pid" 2>/dev/null || fail "the racing user (uid $racer) could not write in the marker directory"
    sleep 0.05
done
in_root "$root" --purge vora-desktop
kill "$racer_pid"
wait "$racer_pid" 2>/dev/null || true
cat "$work/dpkg.log"
expect_absent "$root" "$data/user"
echo "a user (uid $racer) racing purge in the marker directory did not keep it"
