#!/usr/bin/env bash
# The documents against the project, without the packages. One check per
# run, named by the first argument:
#   deviations  every row of the table of deliberate deviations in
#               docs/agent-integration.md names at least one test, and each
#               test named there exists in this build (`ctest -N`, where
#               the GoogleTest cases are listed as Suite.Name);
#   hosts       no file of the project names a package archive's host or an
#               archive's URL: the archive comes from the machine's own apt
#               sources (tests/packaging/piuparts_test.sh).
# CTest passes VORA_SOURCE_DIR and VORA_BUILD_DIR.
set -euo pipefail
: "${VORA_SOURCE_DIR:?}" "${VORA_BUILD_DIR:?}"

fail() {
    echo "FAIL: $*" >&2
    exit 1
}

skip() {
    echo "SKIP: $*"
    exit 77
}

check_deviations() {
    local guide=$VORA_SOURCE_DIR/docs/agent-integration.md heading="## Deliberate deviations from the defined behaviour"
    local rows known row cell names name count=0 missing=0
    # The table's rows below its heading, without the header and the rule.
    rows=$(awk -v heading="$heading" '/^#/ { inside = ($0 == heading); next } inside && /^\|/' "$guide" | tail -n +3)
    [ -n "$rows" ] || fail "no table below \"$heading\" in $guide"
    known=$(ctest --test-dir "$VORA_BUILD_DIR" -N | sed -n 's/^ *Test *#[0-9]*: *//p')
    [ -n "$known" ] || fail "ctest -N lists no test in $VORA_BUILD_DIR"
    while IFS= read -r row; do
        cell=$(awk -F'|' '{ print $(NF - 1) }' <<<"$row")
        # shellcheck disable=SC2016 # backquotes, not an expansion
        names=$({ grep -oE '`[A-Za-z0-9_]+\.[A-Za-z0-9_]+`' <<<"$cell" || true; } | tr -d '`')
        [ -n "$names" ] || fail "a deviation names no test: ${row:0:120}"
        for name in $names; do
            count=$((count + 1))
            if ! grep -qxF "$name" <<<"$known"; then
                echo "no test $name in this build, named for: ${row:0:120}" >&2
                missing=$((missing + 1))
            fi
        done
    done <<<"$rows"
    [ "$missing" -eq 0 ] || fail "$missing of the $count tests the deviation table names do not exist"
    echo "deviation table: $(wc -l <<<"$rows") rows name $count tests, each in this build"
}

check_hosts() {
    cd "$VORA_SOURCE_DIR"
    git rev-parse --is-inside-work-tree >/dev/null 2>&1 || skip "$VORA_SOURCE_DIR is no git work tree"
    # The hosts of Debian's and Ubuntu's archives and mirrors, and any URL
    # whose path starts at an archive's root ("…/debian", "…/ubuntu").
    local hosts='\b((deb|ftp[0-9]*|ftp[0-9]*\.[a-z]{2}|security|httpredir|http|snapshot|incoming|archive|mirrors?|cdn-[a-z]+\.deb)\.debian\.org|([a-z]{2}\.)?(archive|security|ports)\.ubuntu\.com)\b'
    local urls='\b[a-z]+://[^[:space:]/"'\''<>]+/(debian|debian-security|debian-ports|debian-debug|ubuntu)([/[:space:]"'\''<>]|$)'
    local found
    found=$(git grep --untracked -nIE -e "$hosts" -e "$urls" -- . || true)
    [ -z "$found" ] || fail "archive hosts named in the project (take the archive from the machine's apt sources):
$found"
    echo "no archive host in $(git ls-files | wc -l) files"
}

case ${1:-} in
deviations) check_deviations ;;
hosts) check_hosts ;;
*) fail "usage: $0 deviations|hosts" ;;
esac
