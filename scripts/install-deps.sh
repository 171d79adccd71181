#!/usr/bin/env bash
# Installs the Debian packages the player needs to build, run and be tested.
# Only packages that are missing are installed, so a second run costs nothing.
set -euo pipefail

packages=(
    build-essential cmake ninja-build pkg-config ccache clang libclang-rt-14-dev
    qt6-base-dev qt6-base-dev-tools libgl-dev
    qt6-svg-dev qt6-translations-l10n
    zlib1g-dev liblzma-dev libcurl4-openssl-dev libssl-dev
    libavcodec-dev libavformat-dev libavutil-dev libswresample-dev libswscale-dev
    qt6-multimedia-dev
    libgtest-dev libgmock-dev
    fonts-wqy-microhei xvfb xauth
    nginx-light openssl curl
)

missing=()
for p in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
        missing+=("$p")
    fi
done

if ((${#missing[@]})); then
    echo "Installing: ${missing[*]}"
    sudo_cmd=()
    if [ "$(id -u)" -ne 0 ]; then sudo_cmd=(sudo); fi
    export DEBIAN_FRONTEND=noninteractive
    "${sudo_cmd[@]}" apt-get update -qq
    "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
