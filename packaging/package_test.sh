#!/usr/bin/env bash
# Builds the .deb, unpacks it into a scratch root and runs the installed
# VUserAlert once against a temporary agent root.
# Usage: package_test.sh BUILD_DIR
set -euo pipefail
build_dir=$1
work=$(mktemp -d /tmp/vora-package-XXXXXX)
trap 'rm -rf "$work"' EXIT

(cd "$build_dir" && cpack -G DEB -B "$work/out" >"$work/cpack.log" 2>&1) || { cat "$work/cpack.log"; exit 1; }
deb=$(ls "$work"/out/vora-desktop_*.deb)
echo "package: $(basename "$deb")"
dpkg-deb --info "$deb" | grep -E "Package|Version|Depends"
dpkg -x "$deb" "$work/root"

for file in usr/bin/VUserAlert usr/bin/VORAMenuBar usr/bin/vora-agent \
    usr/share/dbus-1/system.d/com.orvel.vora.AgentHelperService.conf \
    usr/share/dbus-1/interfaces/com.orvel.vora.AgentHelperProtocol.xml \
    etc/xdg/autostart/vora-menubar.desktop; do
    [ -e "$work/root/$file" ] || { echo "missing $file"; exit 1; }
done
grep -q "^Exec=/usr/bin/VORAMenuBar$" "$work/root/etc/xdg/autostart/vora-menubar.desktop"

export VORA_AGENT_ROOT=$work/agent QT_QPA_PLATFORM=offscreen
timeout 60 "$work/root/usr/bin/VUserAlert" -name=Installed -ok -default=yes -timeout=1 -suffix=pkg >/dev/null 2>&1
answer=$(cat "$VORA_AGENT_ROOT/Orvel/VORA/data/user/VUSERALERT_YES.pkg")
echo "installed VUserAlert answered: $answer"
[ "$answer" = yes ]
