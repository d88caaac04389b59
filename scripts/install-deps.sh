#!/bin/bash
# Installs the Debian packages the build, the tests and the demo need; skips the
# whole step when everything is there already.
set -euo pipefail

packages=(
    cmake ninja-build g++ make
    mingw-w64 g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64
    wine wine64 wine64-tools libwine-dev xvfb fonts-wine
    googletest
    clang libclang-rt-14-dev
    openjdk-17-jdk-headless
)

missing=()
for package in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed'; then
        missing+=("$package")
    fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
if [ "$(id -u)" -ne 0 ]; then
    echo "install-deps: run as root (or install these packages first): ${missing[*]}" >&2
    exit 1
fi
export DEBIAN_FRONTEND=noninteractive
apt-get update -qq
apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
