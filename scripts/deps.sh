#!/usr/bin/env bash
# Installs the Debian 12 packages Tintra needs, when they are missing. Uses
# sudo when not run as root.
#
#   scripts/deps.sh run       # build and run the program (make run, install)
#   scripts/deps.sh package   # and build its Debian package (make package)
#   scripts/deps.sh test      # and every test suite, benchmark and fuzzer (default)
set -euo pipefail

what=${1:-test}

run=(
  cmake ninja-build g++ make pkg-config
  qt6-base-dev qt6-base-dev-tools qt6-l10n-tools libgl-dev libxcb1-dev
  librsvg2-bin
  qt6-wayland
)
package=(
  dpkg-dev file binutils
)
test=(
  googletest libgtest-dev libgmock-dev libbenchmark-dev
  clang libclang-rt-14-dev
  xvfb xauth xdotool xclip x11-xserver-utils x11-utils
  sway swaybg dbus-daemon dbus-bin pipewire pipewire-bin libsm-dev libice-dev
  xdg-desktop-portal xdg-desktop-portal-wlr xdg-desktop-portal-gtk
  wtype grim wl-clipboard
  gnome-shell mutter xdg-desktop-portal-gnome gnome-settings-daemon xwayland
  kwin-wayland xdg-desktop-portal-kde plasma-workspace qtwayland5
  qml-module-qtquick-controls qml-module-qtquick-controls2 qml-module-qtquick-layouts
  qml-module-qtquick-window2 qml-module-qtquick2 qml-module-qtquick-dialogs
  qml-module-qtquick-templates2 qml-module-org-kde-kirigami2
  plasma-wayland-protocols libwayland-bin libwayland-dev libglib2.0-bin
  desktop-file-utils appstream man-db lintian shared-mime-info
  at-spi2-core python3-pyatspi
)

case "$what" in
  run) packages=("${run[@]}") ;;
  package) packages=("${run[@]}" "${package[@]}") ;;
  test) packages=("${run[@]}" "${package[@]}" "${test[@]}") ;;
  *)
    echo "usage: $0 [run|package|test]" >&2
    exit 2
    ;;
esac

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

echo "Installing missing packages: ${missing[*]}"
sudo=""
if [ "$(id -u)" -ne 0 ]; then
  sudo="sudo"
fi
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
$sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
