#!/usr/bin/env bash
# Installs the Debian packages the build and the tests need (only those missing).
set -eu

packages=(
    build-essential cmake ccache zip unzip pkg-config
    juce-modules-source libgtest-dev
    xvfb xauth x11-utils xdotool imagemagick fonts-liberation
    libcpp-httplib-dev python3 curl time libexpat1-dev openbox iproute2
)
# Extra packages for one command (the fuzz build's clang) come as arguments.
packages+=("$@")

missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done

[ "${#missing[@]}" -eq 0 ] && exit 0

sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"

echo "Installing: ${missing[*]}"
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
