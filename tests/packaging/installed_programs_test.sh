#!/usr/bin/env bash
# Unpacks the packages into a scratch root as dpkg would and checks what an
# administrator gets: every file the install rules install, in its place,
# and nothing below /opt or /var; the conffile and the maintainer script;
# stripped programs whose debug symbols are in the -dbgsym packages; valid
# desktop entries; and the installed programs running: --version, and a
# dialog started by the installed stand-in and answered by a time-out.
# shellcheck source=tests/packaging/common.sh
. "$(dirname "$0")/common.sh"
scratch_dir
root=$work/root
unpack_packages "$root"
desktop=$(package_file vora-desktop)
standin=$(package_file vora-agent-standin)

for file in usr/bin/VUserAlert usr/bin/VORAMenuBar usr/bin/vora-agent \
    usr/share/applications/com.orvel.vora.VUserAlert.desktop \
    usr/share/applications/com.orvel.vora.VORAMenuBar.desktop \
    usr/share/icons/hicolor/64x64/apps/vora-menubar.png \
    usr/share/dbus-1/system.d/com.orvel.vora.AgentHelperService.conf \
    usr/share/dbus-1/interfaces/com.orvel.vora.AgentHelperProtocol.xml \
    usr/share/dbus-1/interfaces/com.orvel.vora.Notify.xml \
    usr/lib/tmpfiles.d/vora-desktop.conf \
    usr/share/doc/vora-desktop/copyright usr/share/doc/vora-desktop/changelog.Debian.gz \
    usr/share/doc/vora-desktop/agent-integration.md.gz \
    usr/share/doc/vora-agent-standin/copyright \
    etc/xdg/autostart/vora-menubar.desktop; do
    [ -f "$root/$file" ] || fail "missing /$file"
done
if [ -f "${VORA_SOURCE_DIR:?}/docs/deployment.md" ]; then
    [ -f "$root/usr/share/doc/vora-desktop/deployment.md.gz" ] || fail "docs/deployment.md is not installed"
fi
# Everything the install rules install is in one of the two packages: the
# polkit actions, say, whichever rule installs them.
DESTDIR=$work/installed cmake --install "${VORA_BUILD_DIR:?}" >/dev/null
installed=$(cd "$work/installed" && find . ! -type d | sort)
packaged=$(cd "$root" && find . ! -type d | sort)
[ "$installed" = "$packaged" ] || fail "installed and packaged files differ: $(diff <(echo "$installed") <(echo "$packaged"))"
for policy in "$VORA_SOURCE_DIR"/packaging/polkit/*.policy; do
    [ -e "$policy" ] || continue
    [ -f "$root/usr/share/polkit-1/actions/$(basename "$policy")" ] || fail "$(basename "$policy") is not packaged"
done
# Captured first: grep -q ending a pipeline early would fail it (pipefail).
contents=$(dpkg-deb --contents "$desktop" | awk '{ print $6 }')
grep -E '^\./(opt|var)/' <<<"$contents" && fail "vora-desktop ships files below /opt or /var"
grep -q '/usr/bin/vora-agent$' <<<"$contents" && fail "the stand-in agent is in vora-desktop"
depends=$(dpkg-deb --field "$standin" Depends)
grep -qF "vora-desktop (= $VORA_DEB_VERSION)" <<<"$depends" ||
    fail "vora-agent-standin does not depend on this vora-desktop"

dpkg-deb --control "$desktop" "$work/control"
grep -qx /etc/xdg/autostart/vora-menubar.desktop "$work/control/conffiles" || fail "autostart entry is no conffile"
grep -q 'systemd-tmpfiles .*--create vora-desktop.conf' "$work/control/postinst" ||
    fail "postinst does not apply the tmpfiles.d entry"
sh -n "$work/control/postinst"

# Each program is stripped, and the -dbgsym package holds its symbols under
# its build id.
dpkg-deb -x "$(package_file vora-desktop-dbgsym)" "$work/debug"
dpkg-deb -x "$(package_file vora-agent-standin-dbgsym)" "$work/debug"
for program in VUserAlert VORAMenuBar vora-agent; do
    binary=$root/usr/bin/$program
    sections=$(readelf --section-headers "$binary")
    grep -q '\.debug_info' <<<"$sections" && fail "$program is not stripped"
    id=$(readelf --notes "$binary" | sed -n 's/.*Build ID: \([0-9a-f]*\).*/\1/p')
    [ -n "$id" ] || fail "$program has no build id"
    symbols=$work/debug/usr/lib/debug/.build-id/${id:0:2}/${id:2}.debug
    [ -f "$symbols" ] || fail "no debug symbols for $program ($id)"
    # A separate debug file keeps .interp without contents, which readelf
    # reports on standard error; the section table is all that is read.
    sections=$(readelf --section-headers "$symbols" 2>/dev/null)
    grep -q '\.debug_info' <<<"$sections" || fail "$symbols holds no debug info"
    echo "$program: stripped, symbols in $(basename "$symbols")"
done

# Desktop entries: valid, starting an installed program, with an icon that
# is installed, and ignored once the program is gone (TryExec names it: the
# autostart entry is a conffile, kept after the package is removed).
for entry in "$root"/usr/share/applications/*.desktop "$root"/etc/xdg/autostart/vora-menubar.desktop; do
    desktop-file-validate "$entry" || fail "$entry does not validate"
    exec_path=$(sed -n 's/^Exec=\([^ ]*\).*/\1/p' "$entry")
    [ -x "$root$exec_path" ] || fail "$entry starts $exec_path, which is not installed"
    try_exec=$(sed -n 's/^TryExec=//p' "$entry")
    [ "$try_exec" = "$exec_path" ] || fail "$entry: TryExec is \"$try_exec\", not $exec_path"
    icon=$(sed -n 's/^Icon=//p' "$entry")
    ls "$root"/usr/share/icons/hicolor/*/apps/"$icon".png >/dev/null 2>&1 || fail "$entry: icon $icon not installed"
done

# Without a display: both answer --version before any window system is used.
for program in VORAMenuBar vora-agent; do
    version=$(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$root/usr/bin/$program" --version)
    echo "$version"
    [ "$version" = "$program ${VORA_DEB_VERSION%-*} (build ${VORA_DEB_VERSION##*-})" ] ||
        fail "$program --version printed \"$version\""
done

export VORA_AGENT_ROOT=$work/agent QT_QPA_PLATFORM=offscreen
unset VEJBINSTANCE
report=$(timeout 120 "$root/usr/bin/vora-agent" dialog -- -name=Installed -ok -default=yes -timeout=1 -suffix=pkg)
echo "$report"
grep -q '"result": "yes"' <<<"$report" || fail "the installed dialog did not answer yes"
[ "$(cat "$VORA_AGENT_ROOT/Orvel/VORA/data/user/VUSERALERT_YES.pkg")" = yes ] || fail "no result marker"
