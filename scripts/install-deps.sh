#!/usr/bin/env bash
# Installs every Debian package the project needs to build, test, fuzz,
# benchmark and demo. Idempotent: packages already present are skipped, and
# nothing is fetched when everything is there. Needs root on Debian 12.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config git dpkg-dev
  clang clang-format libclang-rt-dev
  qt6-base-dev qt6-base-dev-tools qt6-tools-dev qt6-tools-dev-tools qt6-l10n-tools
  libgl-dev libxcb1-dev
  libboost-dev
  scdoc gzip file binutils lintian desktop-file-utils systemd man-db groff-base bsdextrautils abigail-tools
  piuparts debootstrap mmdebstrap
  libgtest-dev libgmock-dev googletest libbenchmark-dev
  libnss-wrapper
  dbus dbus-daemon dbus-bin libsystemd-dev
  xvfb xauth x11-utils xdotool trayer imagemagick
  xfce4-panel xfconf
  qt6-wayland weston qt6-translations-l10n xfwm4 qt6-gtk-platformtheme
  fonts-wqy-microhei # the Chinese, Japanese and Korean tables drawn (1.6 MB; Noto CJK is 57)
  at-spi2-core gir1.2-atspi-2.0 python3-gi orca
  gnome-shell gnome-shell-extension-appindicator xwayland
  zenity # bench/desktop_launch.sh: the dialog's time to visible beside it
  python3
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

if [ "$(id -u)" -ne 0 ]; then
  echo "install-deps: missing packages (${missing[*]}); run as root" >&2
  exit 1
fi

export DEBIAN_FRONTEND=noninteractive
apt-get update -qq
apt-get install -y -qq --no-install-recommends "${missing[@]}"
