# shellcheck shell=bash
# Shared by the package tests; sourced. CTest passes VORA_BUILD_DIR,
# VORA_PACKAGES_DIR, VORA_SOURCE_DIR, VORA_DEB_VERSION, VORA_DATA_ROOT and
# VORA_SANITIZED.
set -euo pipefail

: "${VORA_PACKAGES_DIR:?}" "${VORA_DEB_VERSION:?}"

# Status 77 is CTest's SKIP_RETURN_CODE for these tests.
skip() {
    echo "SKIP: $*"
    exit 77
}

fail() {
    echo "FAIL: $*" >&2
    exit 1
}

if [ "${VORA_SANITIZED:-0}" = 1 ]; then
    skip "sanitized build: the packages ship from the normal build, so they are built and checked there"
fi

# The package file of PACKAGE ("vora-desktop", "vora-desktop-dbgsym", ...).
package_file() {
    local name=$1 file
    for file in "$VORA_PACKAGES_DIR/${name}_${VORA_DEB_VERSION}_"*.deb \
        "$VORA_PACKAGES_DIR/${name}_${VORA_DEB_VERSION}_"*.ddeb; do
        if [ -f "$file" ]; then
            echo "$file"
            return 0
        fi
    done
    fail "no package $name $VORA_DEB_VERSION in $VORA_PACKAGES_DIR (did Package.Build run?)"
}

# A scratch directory removed when the test ends.
scratch_dir() {
    work=$(mktemp -d /tmp/vora-package-XXXXXX)
    trap 'rm -rf "$work"' EXIT
}

# Unpacks the two packages into ROOT, as dpkg would place their files.
unpack_packages() {
    local root=$1 name
    for name in vora-desktop vora-agent-standin libvora-alert1 libvora-alert-dev; do
        dpkg-deb -x "$(package_file "$name")" "$root"
    done
    # The unpacked programs find the unpacked libvora-alert.
    export LD_LIBRARY_PATH=$root/usr/lib/$(dpkg-architecture -qDEB_HOST_MULTIARCH)
}
