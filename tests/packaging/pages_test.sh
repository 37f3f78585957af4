#!/usr/bin/env bash
# The installed manual pages and the README against the installed programs:
# the languages a page names are those whose string tables (.qm) the
# program carries; every option of a command's --help is in that command's
# synopsis (VUserAlert's usage text, printed without a display, in its
# page); each exit status a command ends with is described under its
# number; the multi-page dialog's buttons are named as the window labels
# them; the options VUserAlert's usage calls mandatory are not bracketed in
# its synopsis; no page or guide writes a marker with a shell redirection;
# and the README names the package's install paths, no others, says that
# removing vora-desktop takes the stand-in along (when it depends on it) and
# about how many packages scripts/demo.sh installs.
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

# VUserAlert(1): the options its usage calls mandatory stand in the
# synopsis outside brackets.
mandatory=$(grep -E 'are mandatory\.$' <<<"$usage") || fail "the usage calls no option mandatory: $usage"
first_form=$(section VUserAlert SYNOPSIS | sed 's/ *VUserAlert /\nVUserAlert /g' | sed '/^ *$/d' | head -n 1 |
    sed -E ':strip; s/\[[^][]*\]//g; t strip')
for option in $(options_of "$mandatory"); do
    grep -qE "(^| )$option(=| |$)" <<<"$first_form" ||
        fail "VUserAlert(1) synopsis marks $option optional; the usage says: $mandatory"
done
echo "VUserAlert(1) synopsis: $(options_of "$mandatory" | tr '\n' ' ')outside brackets, as the usage says"

# Markers are made whole, 0600 and given to the dialog's user (what
# vora-agent steer does): no page, guide or README writes one with a shell
# redirection, and VUserAlert(1) shows the way that works.
redirect='>>?[[:space:]]*["'\'']?[^[:space:]]*VUSERALERT_[A-Z]+\.'
for page in VUserAlert VORAMenuBar vora-agent; do
    if render "$page" | grep -E "$redirect"; then
        fail "$page(1) writes a marker in place with the shell"
    fi
done
if grep -nE "$redirect" "$VORA_SOURCE_DIR/README.md" "$VORA_SOURCE_DIR"/docs/*.md; then
    fail "a guide writes a marker in place with the shell"
fi
expect_words "VUserAlert(1) EXAMPLES" "$(section VUserAlert EXAMPLES)" "vora-agent steer --suffix"

# README: what removing vora-desktop takes with it, by the packages' own
# relations.
if dpkg-deb -f "$(package_file vora-agent-standin)" Depends | grep -qw vora-desktop; then
    removal=$(awk -v RS= '{ gsub(/[ \n]+/, " ") } /`apt remove vora-desktop`/' "$readme")
    [ -n "$removal" ] || fail "README does not say what apt remove vora-desktop does"
    expect_words "README on apt remove vora-desktop (the stand-in depends on it)" "$removal" vora-agent-standin
fi

# README: what scripts/demo.sh installs, as scripts/install-deps.sh lists it.
deps_script=$VORA_SOURCE_DIR/scripts/install-deps.sh
grep -q 'install-deps\.sh' "$VORA_SOURCE_DIR/scripts/demo.sh" || fail "scripts/demo.sh no longer runs install-deps.sh"
mapfile -t listed < <(sed -n '/^packages=(/,/^)/p' "$deps_script" | sed '1d;$d; s/#.*//' | tr -s ' \t' '\n' |
    sed '/^$/d')
installs=$(awk -v RS= '{ gsub(/[ \n]+/, " ") } /`scripts\/install-deps.sh` lists/' "$readme")
said=$(grep -oE 'about [0-9]+ Debian packages' <<<"$installs" | grep -oE '[0-9]+') ||
    fail "README does not say how many packages scripts/demo.sh installs: $installs"
if [ "$said" -lt $((${#listed[@]} - 5)) ] || [ "$said" -gt $((${#listed[@]} + 5)) ]; then
    fail "README says scripts/demo.sh installs about $said packages; scripts/install-deps.sh lists ${#listed[@]}"
fi
# shellcheck disable=SC2016 # backquotes, not an expansion
for named in $(grep -oE '`[a-z0-9][a-z0-9.+-]*`' <<<"$installs" | tr -d '`'); do
    printf '%s\n' "${listed[@]}" | grep -qxF "$named" || fail "README names $named, which install-deps.sh does not install"
done
echo "README: scripts/demo.sh installs about $said packages (${#listed[@]} listed)"
