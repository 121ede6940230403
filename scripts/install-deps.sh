#!/usr/bin/env bash
# Installs what building and testing need on Debian 12, as root or through sudo.
set -euo pipefail

packages=(
  cmake ninja-build g++ pkg-config
  qt6-base-dev qt6-base-dev-tools
  libsqlite3-dev libblkid-dev libudev-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  shared-mime-info adwaita-icon-theme hicolor-icon-theme fonts-dejavu-core
  dbus xvfb xauth
  # Setup's desktop entries are checked with desktop-file-validate; the
  # catalog type is applied with update-mime-database (shared-mime-info)
  desktop-file-utils
  xdotool
  # The printed list is checked on its PDF: page count and text
  poppler-utils
  # FAT and ext4 images for the loop-mounted volume tests
  dosfstools e2fsprogs
  python3 clang-format git
  clang libclang-rt-14-dev libfuzzer-14-dev
)

missing=()
for package in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed' || missing+=("$package")
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
echo "Installing: ${missing[*]}"
$sudo apt-get update -q
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -q --no-install-recommends "${missing[@]}"
