#!/usr/bin/env bash
# The installed manual pages: exactly one per program, gzipped, formatted
# by man without a warning, with a NAME line whatis can index, and
# describing every option the program has: VUserAlert's from its option
# table in the source, vora-agent's commands and options and VORAMenuBar's
# options from the installed programs' own --help.
# shellcheck source=tests/packaging/common.sh
. "$(dirname "$0")/common.sh"
: "${VORA_SOURCE_DIR:?}"
scratch_dir
root=$work/root
unpack_packages "$root"
man_dir=$root/usr/share/man/man1

pages=$(find "$man_dir" -mindepth 1 -printf '%f\n' | LC_ALL=C sort | tr '\n' ' ')
[ "$pages" = "VORAMenuBar.1.gz VUserAlert.1.gz vora-agent.1.gz " ] || fail "manual pages: $pages"

# Renders PAGE as a reader sees it; any warning of man or groff fails.
render() {
    local page=$1 warnings=$work/warnings
    MANWIDTH=80 man --warnings -E UTF-8 -l "$page" 2>"$warnings" | col -b
    if [ -s "$warnings" ]; then
        cat "$warnings" >&2
        fail "$(basename "$page"): man reports warnings"
    fi
}

# Fails unless every word after PAGE occurs in its rendered text.
expect_documented() {
    local page=$1 text word
    shift
    text=$(render "$man_dir/$page")
    for word in "$@"; do
        grep -qF -e "$word" <<<"$text" || fail "$page does not describe $word"
    done
    echo "$page: documents $*"
}

# The library's page documents every call of its header.
expect_documented_calls() {
    local text
    text=$(render "$root/usr/share/man/man3/vora_alert.3.gz")
    for call in $(grep -oE 'vora_alert_[a-z_]+\(' "$root/usr/include/vora/alert.h" | tr -d '(' | sort -u); do
        grep -qF -e "$call" <<<"$text" || fail "vora_alert.3 does not describe $call"
    done
    echo "vora_alert.3.gz: documents every call of vora/alert.h"
}

for page in "$man_dir"/*.gz "$root"/usr/share/man/man3/*.gz; do
    gzip -t "$page"
    render "$page" >/dev/null
    lexgrog "$page" || fail "$(basename "$page"): no NAME line whatis understands"
done

expect_documented_calls

vua_options=$(sed -n 's/^inline constexpr const char\* kVUA_[A-Za-z]* = "\(-[^"]*\)";/\1/p' \
    "$VORA_SOURCE_DIR/src/agent/mac/useralert/VUAOptions.h")
[ -n "$vua_options" ] || fail "no options found in VUAOptions.h"
# shellcheck disable=SC2086 # one word per option
expect_documented VUserAlert.1.gz $vua_options VORA_AGENT_ROOT VEJBINSTANCE QT_QPA_PLATFORM \
    arn.conf VAgent.log VUSERALERT_ "Always 0" "$VORA_DATA_ROOT/Orvel/VORA/data/user/"

# The commands (indented by two spaces) and options of PROGRAM --help.
help_words() {
    local usage
    usage=$(env -u DISPLAY -u WAYLAND_DISPLAY "$root/usr/bin/$1" --help)
    {
        grep -oE '^  [a-z][a-z-]*' <<<"$usage" || true
        grep -oE '(^|[][ |,(])--?[a-z][a-z-]*' <<<"$usage" || true
    } | sed 's/^[][ |,(]*//' | sort -u
}
# shellcheck disable=SC2046 # one word per command or option
expect_documented vora-agent.1.gz $(help_words vora-agent) VORA_AGENT_ROOT VEJBINSTANCE VUSERALERT
# shellcheck disable=SC2046
expect_documented VORAMenuBar.1.gz $(help_words VORAMenuBar) arn.conf launchmenu VORA_AGENT_ROOT
