#!/usr/bin/env bash
# Installs the Debian packages the build, the program and its tests need, if missing.
set -euo pipefail

packages=(
    build-essential cmake pkg-config
    qt6-base-dev libgl-dev libqt6sql6-ibase
    libmariadbd-dev libmariadb-dev
    firebird3.0-server-core firebird3.0-utils firebird-dev
    libzint-dev libfreexl-dev libzip-dev
    fonts-liberation qt6-translations-l10n
    python3-xlwt
    xvfb xauth poppler-utils zbar-tools xdotool
    zip unzip
)

missing=()
for p in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
        missing+=("$p")
    fi
done

if [ ${#missing[@]} -gt 0 ]; then
    sudo=""
    if [ "$(id -u)" -ne 0 ]; then sudo="sudo"; fi
    $sudo apt-get update
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y "${missing[@]}"
fi
