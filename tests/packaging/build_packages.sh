#!/usr/bin/env bash
# Builds the Debian packages from the build directory into VORA_PACKAGES_DIR
# and lists what each one holds.
# shellcheck source=tests/packaging/common.sh
. "$(dirname "$0")/common.sh"
: "${VORA_BUILD_DIR:?}"

rm -rf "$VORA_PACKAGES_DIR"
mkdir -p "$VORA_PACKAGES_DIR"
log=$VORA_PACKAGES_DIR/cpack.log
if ! (cd "$VORA_BUILD_DIR" && cpack -G DEB -B "$VORA_PACKAGES_DIR") >"$log" 2>&1; then
    cat "$log"
    fail "cpack failed"
fi
# Exactly these: an install rule in a component of its own would make
# another package.
arch=$(dpkg --print-architecture)
expected=$({
    for name in vora-desktop vora-agent-standin libvora-alert1; do
        echo "${name}_${VORA_DEB_VERSION}_$arch.deb"
        echo "$name-dbgsym_${VORA_DEB_VERSION}_$arch.ddeb"
    done
    echo "libvora-alert-dev_${VORA_DEB_VERSION}_$arch.deb"
} | sort)
made=$(find "$VORA_PACKAGES_DIR" -maxdepth 1 -name "*.deb" -printf "%f\n" -o -name "*.ddeb" -printf "%f\n" | sort)
[ "$made" = "$expected" ] || fail "cpack made:"$'\n'"$made"

for name in vora-desktop vora-desktop-dbgsym vora-agent-standin vora-agent-standin-dbgsym \
    libvora-alert1 libvora-alert1-dbgsym libvora-alert-dev; do
    file=$(package_file "$name")
    echo "== $(basename "$file")"
    dpkg-deb --field "$file" Package Version Depends Recommends
    dpkg-deb --contents "$file" | awk '{ print $1, $2, $6, $7, $8 }'
done
