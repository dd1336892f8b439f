#!/usr/bin/env bash
# Installs the Debian packages the build, the tests and the benchmarks need, and only those
# that are missing, so that a machine that already has everything is not touched.
set -euo pipefail

packages=(
  cmake ninja-build g++ pkg-config
  qt6-base-dev qt6-svg-dev libqt6svg6 libqt6sql6-sqlite libsqlite3-dev sqlite3
  libmpg123-dev mpg123 libtag1-dev libglib2.0-dev pxlib-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  xvfb xauth imagemagick lame ffmpeg desktop-file-utils tidy
  pulseaudio pulseaudio-utils dbus dbus-bin
)

missing=()
for p in "${packages[@]}"; do
  status=$(dpkg-query -W -f='${Status}' "$p" 2>/dev/null || true)
  [[ "$status" == "install ok installed" ]] || missing+=("$p")
done

if [[ ${#missing[@]} -eq 0 ]]; then
  exit 0
fi

echo "Installing missing packages: ${missing[*]}"
sudo=()
if [[ $(id -u) -ne 0 ]]; then
  sudo=(sudo)
fi
export DEBIAN_FRONTEND=noninteractive
"${sudo[@]}" apt-get update -qq
"${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
