#!/usr/bin/env bash
# Installs the Debian packages the program needs (only those missing) and builds it into
# ./build. Used by run.sh and test.sh.
set -euo pipefail
cd "$(dirname "$0")/.."

packages=(qt6-base-dev libqt6sql6-sqlite qt6-svg-dev libkainjow-mustache-dev cmake ninja-build g++
          libsqlite3-dev fonts-dejavu-core poppler-utils qt6-translations-l10n)
missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
    sudo=""
    [ "$(id -u)" -eq 0 ] || sudo="sudo"
    $sudo apt-get update
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y --no-install-recommends "${missing[@]}"
fi

cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build -j2
