#!/usr/bin/env bash
# The built libvora-alert against the ABI baseline committed with it
# (packaging/libvora-alert/libvora-alert.abi, regenerated on purpose with
# the "abi-baseline" target when a release changes the ABI):
#   - a function or variable removed or changed under the same soname fails;
#   - added ones pass (the symbols file must list them: checked below);
#   - with another soname the baseline is an older ABI: nothing to compare.
# Usage: abi_test.sh LIBRARY BASELINE HEADERS SYMBOLS
set -euo pipefail
library=$1 baseline=$2 headers=$3 symbols=$4
command -v abidiff >/dev/null || { echo "FAIL: abidiff is not installed (abigail-tools)" >&2; exit 1; }

built_soname=$(readelf -d "$library" | sed -n 's/.*Library soname: \[\(.*\)\].*/\1/p')
baseline_soname=$(sed -n 's/.*<abi-corpus .*soname=.\([^"'"'"']*\).*/\1/p' "$baseline" | head -n 1)
if [ "$built_soname" != "$baseline_soname" ]; then
    echo "soname $built_soname, baseline $baseline_soname: a new ABI, nothing to compare"
else
    status=0
    report=$(abidiff --exported-interfaces-only --hd2 "$headers" "$baseline" "$library") || status=$?
    echo "$report"
    # Bit 1: abidiff failed; bit 8: an incompatible change.
    if [ $((status & 1)) -ne 0 ] || [ $((status & 8)) -ne 0 ]; then
        echo "FAIL: abidiff status $status: the ABI of $built_soname changed incompatibly" >&2
        exit 1
    fi
    if echo "$report" | grep -Eq '(^|[^0-9])[1-9][0-9]* (Removed|Changed)'; then
        echo "FAIL: functions or variables of $built_soname removed or changed without a new soname" >&2
        exit 1
    fi
fi

# Every exported symbol is in the Debian symbols file, and nothing more.
# A version node is listed as NODE@NODE, as dpkg-gensymbols writes it.
exported=$(nm -D --defined-only "$library" | awk '{ n = $3; if ($2 == "A") n = n "@" n; sub("@@", "@", n); print n }' | sort)
listed=$(awk '/^ / { print $1 }' "$symbols" | sort)
if [ "$exported" != "$listed" ]; then
    echo "FAIL: the exports and $symbols differ:" >&2
    diff <(echo "$listed") <(echo "$exported") >&2 || true
    exit 1
fi
echo "ABI of $built_soname: compatible with the baseline; symbols file complete"
