#!/usr/bin/env bash
# piuparts on both packages, in a clean chroot made from the Debian archive
# this machine installs from (its apt sources, or VORA_PIUPARTS_MIRROR; apt's
# proxy, if it has one, is used too): install and purge, and an upgrade from the
# build before (this build packaged again with the build number one lower)
# followed by remove and purge. Nothing may be left behind, changed or
# broken. The packages under test come from a local repository (piuparts'
# "testdebs"), so that the stand-in's dependency on this very vora-desktop
# resolves; the older ones from another, so there is something to upgrade
# from. The chroot's base tarball is kept in the build directory for a week.
# The run takes minutes: its time is printed.
# Skipped only when no archive is named or it cannot be reached.
# shellcheck source=tests/packaging/common.sh
. "$(dirname "$0")/common.sh"
[ "$(id -u)" -eq 0 ] || skip "needs root: piuparts makes and enters a chroot"
command -v piuparts >/dev/null || fail "piuparts is not installed (scripts/install-deps.sh)"
command -v mmdebstrap >/dev/null || fail "mmdebstrap is not installed (scripts/install-deps.sh)"
: "${VORA_BUILD_DIR:?}"

# Removed staying on this file system: a chroot a killed run left behind
# may still have /proc and /dev mounted.
run_dir=$VORA_BUILD_DIR/piuparts/run
rm -rf --one-file-system "$run_dir"
mkdir -p "$run_dir/repo/new" "$run_dir/repo/old" "$run_dir/tmp"
trap 'rm -rf --one-file-system "$run_dir"' EXIT

distribution=$(. /etc/os-release && echo "${VERSION_CODENAME:?}")
# The archive apt uses here for the release itself (not -updates or
# -security), from /etc/apt/sources.list, sources.list.d/*.list and deb822
# *.sources alike. The project names no archive of its own: a machine behind
# a proxy or with a local mirror uses what it already uses.
mirror=${VORA_PIUPARTS_MIRROR:-}
if [ -z "$mirror" ]; then
    # shellcheck disable=SC2016 # apt's own placeholders
    mirror=$(apt-get indextargets --format '$(RELEASE) $(SITE)' |
        awk -v release="$distribution" '$1 == release { print $2; exit }')
fi
[ -n "$mirror" ] ||
    skip "no apt source of this machine names the $distribution archive, nor does VORA_PIUPARTS_MIRROR: no chroot for piuparts"
proxy=
eval "$(apt-config shell proxy Acquire::http::Proxy)"
proxy_options=()   # piuparts'
chroot_options=()  # mmdebstrap's
if [ -n "$proxy" ] && [ "$proxy" != DIRECT ]; then
    proxy_options=(--proxy="$proxy")
    chroot_options=(--aptopt="Acquire::http::Proxy \"$proxy\"")
fi
if ! timeout 60 /usr/lib/apt/apt-helper download-file "$mirror/dists/$distribution/Release" "$run_dir/Release" \
    >/dev/null 2>&1; then
    skip "the Debian archive $mirror cannot be reached: no chroot for piuparts"
fi
echo "archive: $mirror${proxy_options[*]:+ through $proxy}"

version=${VORA_DEB_VERSION%-*}
build_number=${VORA_DEB_VERSION##*-}
old_version=$version-$((build_number - 1))
desktop=$(package_file vora-desktop)
standin=$(package_file vora-agent-standin)
library=$(package_file libvora-alert1)
cp "$desktop" "$standin" "$library" "$run_dir/repo/new/"

# The build before: the same files with the lower build number, the
# stand-in depending on that vora-desktop.
if ! (cd "$VORA_BUILD_DIR" && cpack -G DEB -B "$run_dir/old" -D CPACK_DEBIAN_PACKAGE_RELEASE=$((build_number - 1)) \
    -D "CPACK_DEBIAN_STANDIN_PACKAGE_DEPENDS=vora-desktop (= $old_version), libvora-alert1 (= $old_version)" -D CPACK_DEBIAN_DEBUGINFO_PACKAGE=OFF) >"$run_dir/old-cpack.log" 2>&1; then
    cat "$run_dir/old-cpack.log"
    fail "cpack failed for build $old_version"
fi
cp "$run_dir/old/vora-desktop_${old_version}_"*.deb "$run_dir/old/vora-agent-standin_${old_version}_"*.deb \
    "$run_dir/old/libvora-alert1_${old_version}_"*.deb "$run_dir/repo/old/"
for repo in new old; do
    (cd "$run_dir/repo/$repo" && dpkg-scanpackages --multiversion . /dev/null >Packages 2>/dev/null)
done
grep -q "^Version: $old_version$" "$run_dir/repo/old/Packages" || fail "no packages of build $old_version"

# The chroot piuparts starts from: mmdebstrap fetches with apt, in
# parallel, in a few minutes what piuparts' own debootstrap takes four
# times as long for.
base=$VORA_BUILD_DIR/piuparts/base-$distribution.tgz
if [ -z "$(find "$base" -mtime -7 2>/dev/null)" ]; then
    started=$SECONDS
    fresh=$VORA_BUILD_DIR/piuparts/new-base-$distribution.tgz
    if ! mmdebstrap --variant=minbase --include=eatmydata "${chroot_options[@]}" "$distribution" "$fresh" \
        "deb $mirror $distribution main" >"$run_dir/mmdebstrap.log" 2>&1; then
        cat "$run_dir/mmdebstrap.log"
        fail "mmdebstrap could not make a $distribution chroot from $mirror"
    fi
    mv "$fresh" "$base"
    echo "made the base chroot in $((SECONDS - started))s"
fi

# --warn-on-others: what the archive's packages (dbus, Qt) leave behind is
# theirs to fix; everything of these two packages is judged.
log=$VORA_BUILD_DIR/piuparts/piuparts.log
started=$SECONDS
status=0
timeout 2400 piuparts \
    --distribution="$distribution" --mirror="$mirror main" --basetgz="$base" \
    --tmpdir="$run_dir/tmp" --bindmount="$run_dir/repo" \
    --testdebs-repo="$run_dir/repo/new" \
    --extra-repo="deb [trusted=yes] file://$run_dir/repo/old ./" \
    --warn-on-others "${proxy_options[@]}" \
    "$run_dir/repo/new/$(basename "$desktop")" "$run_dir/repo/new/$(basename "$library")" \
    "$run_dir/repo/new/$(basename "$standin")" \
    >"$log" 2>&1 || status=$?
elapsed=$((SECONDS - started))
grep -E 'INFO: (PASS|FAIL)|ERROR|WARN' "$log" || true
# Which way the postinst made the directories in the chroot.
grep -m1 -oE 'vora-desktop: systemd-tmpfiles not found[^.]*' "$log" || echo "the chroot has systemd-tmpfiles"
if [ "$status" -ne 0 ]; then
    tail -n 200 "$log"
    fail "piuparts failed (status $status) after ${elapsed}s; its log: $log"
fi
for test in "Installation and purging test." "Installation, upgrade and purging tests."; do
    grep -qF "PASS: $test" "$log" || fail "piuparts did not run \"$test\""
done
echo "piuparts passed in ${elapsed}s: install and purge, upgrade from $old_version, remove and purge"
