#!/usr/bin/env bash
# The installed manual pages and the README against the installed programs:
# the languages a page names are those whose string tables (.qm) the
# program carries; every option of a command's --help is in that command's
# synopsis (VUserAlert's usage text, printed without a display, in its
# page); each exit status a command ends with is described under its
# number; the multi-page dialog's buttons are named as the window labels
# them; and the README names the package's install paths, no others.
# shellcheck source=tests/packaging/common.sh
. "$(dirname "$0")/common.sh"
: "${VORA_SOURCE_DIR:?}" "${VORA_DATA_ROOT:?}"
scratch_dir
root=$work/root
unpack_packages "$root"
man_dir=$root/usr/share/man/man1

# PAGE as a reader sees it, without hyphenation, so words stay whole.
render() {
    MANWIDTH=80 man --nh --nj -E UTF-8 -l "$man_dir/$1.1.gz" 2>/dev/null | col -bx
}

# The text of PAGE's section HEADING, on one line.
section() {
    render "$1" | awk -v heading="$2" '/^[A-Z]/ { inside = ($0 == heading); next } inside' | tr -s ' \n' '  '
}

# The description of the item of PAGE whose term matches the extended
# regular expression TERM (at the page's left margin), on one line.
item() {
    render "$1" | awk -v term="$2" '
        /^       [^ ]/ { inside = ($0 ~ "^       " term); next }
        /^[^ ]/ { inside = 0 }
        inside' | tr -s ' \n' '  '
}

# Fails unless TEXT holds every word after LABEL and TEXT.
expect_words() {
    local label=$1 text=$2 word
    shift 2
    for word in "$@"; do
        grep -qF -e "$word" <<<"$text" || fail "$label does not name $word: $text"
    done
    echo "$label: names $*"
}

# Languages: English names of the codes the string tables may have.
declare -A language_names=([en]=English [de]=German [fr]=French [es]=Spanish [ja]=Japanese [it]=Italian
    [nl]=Dutch [pt]=Portuguese [pl]=Polish [ru]=Russian [zh]=Chinese [ko]=Korean [sv]=Swedish [cs]=Czech)
for program in VUserAlert VORAMenuBar; do
    codes=$(strings -eb "$root/usr/bin/$program" | grep -oE "${program}_[a-z]{2}(_[A-Z]{2})?\.qm" |
        sed -E "s/^${program}_//; s/(_[A-Z]{2})?\.qm$//" | sort -u) # pt_BR: pt
    [ -n "$codes" ] || fail "$program carries no string tables"
    text=$(item "$program" 'LANG')
    shipped=()
    for code in $codes; do
        [ -n "${language_names[$code]:-}" ] || fail "no English name for language $code: add it here"
        shipped+=("${language_names[$code]}")
    done
    expect_words "$program(1) LANG" "$text" "${shipped[@]}"
    for code in "${!language_names[@]}"; do
        if grep -qw "${language_names[$code]}" <<<"$text" && ! grep -qx "$code" <<<"$codes"; then
            fail "$program(1) names ${language_names[$code]}, which $program does not carry"
        fi
    done
done

# The options of a --help line (words starting with one or two dashes).
options_of() {
    { grep -oE '(^|[][ |(])--?[a-z][a-z-]*' <<<"$1" || true; } | sed 's/^[][ |(]*//' | sort -u
}

# vora-agent: each command's options in that command's synopsis.
help=$("$root/usr/bin/vora-agent" --help)
synopsis=$(section vora-agent SYNOPSIS | sed 's/ vora-agent /\nvora-agent /g')
while read -r command rest; do
    options=$(options_of "$rest")
    [ -n "$options" ] || continue
    lines=$(grep -E "^ ?vora-agent $command( |$)" <<<"$synopsis") || fail "vora-agent(1) has no synopsis of $command"
    # shellcheck disable=SC2086 # one word per option
    expect_words "vora-agent(1) synopsis of $command" "$lines" $options
done < <(grep -E '^  [a-z][a-z-]* ' <<<"$help")

# VUserAlert: without a display its usage text goes to standard error.
errors=$(env -u DISPLAY -u WAYLAND_DISPLAY QT_QPA_PLATFORM=xcb VORA_AGENT_ROOT="$work/agent" \
    "$root/usr/bin/VUserAlert" --help 2>&1 >/dev/null)
usage=$(sed -n '/^usage: VUserAlert/,/mandatory\.$/p' <<<"$errors")
[ -n "$usage" ] || fail "VUserAlert --help without a display printed no usage: $errors"
# shellcheck disable=SC2046 # one word per option
expect_words "VUserAlert(1) options" "$(section VUserAlert OPTIONS)" $(options_of "$usage")

# Exit statuses, as the programs end: "page|statement|status|word the
# page's item for that status names".
export VORA_AGENT_ROOT=$work/planted
# A link planted where the marker directory belongs is never followed.
mkdir -p "$VORA_AGENT_ROOT/Orvel/VORA/data"
ln -s /tmp "$VORA_AGENT_ROOT/Orvel/VORA/data/user"
while IFS='|' read -r page statement expected word; do
    status=0
    (eval "$statement") >/dev/null 2>&1 || status=$?
    [ "$status" = "$expected" ] || fail "\"$statement\" ended with $status, not $expected"
    expect_words "$page(1) exit status $status ($statement)" "$(item "$page" "$status$")" "$word"
done <<EOF
vora-agent|"$root/usr/bin/vora-agent" prepare|1|prepare
vora-agent|"$root/usr/bin/vora-agent" --version >/dev/full|1|version
vora-agent|"$root/usr/bin/vora-agent" frobnicate|2|unknown command
vora-agent|"$root/usr/bin/vora-agent" dialog --bogus -- -ok|2|option
VORAMenuBar|"$root/usr/bin/VORAMenuBar" --version >/dev/full|1|version
EOF
unset VORA_AGENT_ROOT

# The multi-page dialog's buttons, as the window labels them (English).
labels=()
for key in BUTTON_BACK BUTTON_NEXT BUTTON_CONTINUE BUTTON_FINISH; do
    labels+=("$(sed -n "/id=\"$key\"/,/<\/message>/s/.*<translation>\(.*\)<\/translation>.*/\1/p" \
        "$VORA_SOURCE_DIR/src/agent/mac/useralert/translations/VUserAlert_en.ts")")
done
expect_words "VUserAlert(1) -multimessage" "$(item VUserAlert '-multimessage=')" "${labels[@]}"

# README: every path it names below /usr or /etc is in a package, below
# /var one of the directories the tmpfiles.d entry makes (or their
# parents); it names nothing below /opt (the package installs nothing
# there) and names each program where the package installs it.
readme=$VORA_SOURCE_DIR/README.md
contents=$(for package in vora-desktop vora-agent-standin; do
    dpkg-deb --contents "$(package_file "$package")" | awk '{ print substr($6, 2) }' | sed 's|/$||'
done)
layout=$(awk '$1 == "d" { print $2 }' "$root/usr/lib/tmpfiles.d/vora-desktop.conf")
paths=$(grep -oE '(^|[^A-Za-z0-9_.~/-])/(usr|etc|opt|var)(/[A-Za-z0-9_.@+-]+)*/?' "$readme" |
    sed -E 's|^[^/]||; s|(.)/$|\1|' | sort -u)
for path in $paths; do
    case $path in
    /usr/* | /etc/*) grep -qxF "$path" <<<"$contents" || fail "README names $path, which no package installs" ;;
    /var*)
        [ "$VORA_DATA_ROOT" = /var/opt ] || continue # the README describes the default build
        awk -v path="$path" 'index($0 "/", path "/") == 1 || index(path "/", $0 "/") == 1 { found = 1 }
            END { exit !found }' <<<"$layout" || fail "README names $path, not one of the package's directories" ;;
    /opt*) fail "README names $path: the package installs nothing below /opt" ;;
    esac
done
while read -r program; do
    grep -qF "\`$program\`" "$readme" || fail "README does not say the package installs $program"
done < <(grep -E '^/usr/bin/.' <<<"$contents")
echo "README: names the install paths of the packages: $(tr '\n' ' ' <<<"$paths")"
