#!/usr/bin/env bash
# The tmpfiles.d entry applied to a scratch root by systemd-tmpfiles, as at
# boot, and through the package's postinst, as at installation: the agent
# data directory and the shared marker directory, with their owners and
# modes, and no log (the agent creates that exclusively); a second run
# repairs a wrong mode and keeps a log that is there. Where systemd-tmpfiles
# is missing (a chroot, a container) the postinst makes the same layout
# itself and says so.
# shellcheck source=tests/packaging/common.sh
. "$(dirname "$0")/common.sh"
[ "$(id -u)" -eq 0 ] || skip "needs root: the entry gives the directories to root"
command -v systemd-tmpfiles >/dev/null || fail "systemd-tmpfiles is not installed (package systemd)"
: "${VORA_DATA_ROOT:?}"
scratch_dir

# "type owner group mode path" of each thing the entry makes, below ROOT.
expect_layout() {
    local root=$1 data=$1$VORA_DATA_ROOT/Orvel line path
    local expected="directory root root 755 $data
directory root root 755 $data/VORA
directory root root 755 $data/VORA/data
directory root root 1777 $data/VORA/data/user"
    local actual=""
    [ ! -e "$data/VORA/data/user/VAgent.log" ] || fail "the entry made the log"
    for path in "$data" "$data/VORA" "$data/VORA/data" "$data/VORA/data/user"; do
        [ -e "$path" ] || fail "missing $path"
        line=$(stat -c '%F %U %G %a %n' "$path" | sed 's/^regular empty file/regular file/')
        actual+=${actual:+$'\n'}$line
    done
    if [ "$actual" != "$expected" ]; then
        printf 'expected:\n%s\nactual:\n%s\n' "$expected" "$actual"
        fail "wrong layout below $root"
    fi
    echo "$actual"
}

boot=$work/boot
dpkg-deb -x "$(package_file vora-desktop)" "$boot"
systemd-tmpfiles --create --root="$boot" vora-desktop.conf
expect_layout "$boot"

user_dir=$boot$VORA_DATA_ROOT/Orvel/VORA/data/user
chmod 0700 "$user_dir"
echo "line of the agent" >"$user_dir/VAgent.log"
systemd-tmpfiles --create --root="$boot" vora-desktop.conf
[ "$(stat -c %a "$user_dir")" = 1777 ] || fail "a second run left the marker directory at $(stat -c %a "$user_dir")"
[ "$(cat "$user_dir/VAgent.log")" = "line of the agent" ] || fail "a second run changed the log"

# The maintainer script, as dpkg runs it into a root other than /.
installed=$work/installed
dpkg-deb -x "$(package_file vora-desktop)" "$installed"
dpkg-deb --control "$(package_file vora-desktop)" "$work/control"
DPKG_ROOT=$installed sh "$work/control/postinst" configure
expect_layout "$installed"

# Without systemd-tmpfiles: only the tools a minimal system has on PATH.
bare=$work/bare
dpkg-deb -x "$(package_file vora-desktop)" "$bare"
mkdir "$work/bin"
for tool in mkdir chown chmod; do
    ln -s "$(command -v "$tool")" "$work/bin/$tool"
done
said=$(DPKG_ROOT=$bare PATH=$work/bin /bin/sh "$work/control/postinst" configure 2>&1)
echo "$said"
grep -q "systemd-tmpfiles not found; creating the directories" <<<"$said" || fail "the postinst did not say how it made the layout"
expect_layout "$bare"
chmod 0700 "$bare$VORA_DATA_ROOT/Orvel/VORA/data/user"
DPKG_ROOT=$bare PATH=$work/bin /bin/sh "$work/control/postinst" configure 2>/dev/null
expect_layout "$bare"
