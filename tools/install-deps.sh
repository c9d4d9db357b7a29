#!/usr/bin/env bash
# Installs what the build and the tests need, from Debian's packages only. Idempotent: a machine
# that already has everything is left alone and nothing is fetched. Needs root, or sudo.
#   tools/install-deps.sh              the build and the tests
#   tools/install-deps.sh screenshots  also what tools/screenshots.sh needs for the pictures
set -euo pipefail

# Each package with the reason it is needed, printed before a first install that takes minutes.
declare -A why=(
    [cmake]="the build"
    [make]="the build"
    [python3]="the layer check and the icon script"
    [mingw-w64]="the cross-compiler for 32-bit Windows"
    [wine]="running the Windows programs of the tests"
    [wine32]="32-bit Windows programs under Wine"
    [xvfb]="a virtual display for the tests' windows"
    [xauth]="the virtual display's access control"
    [x11-utils]="make demo asks the user's display whether it answers (xdpyinfo)"
    [locales]="the Japanese locale for the Japanese resources"
    [fonts-ipafont-gothic]="a Japanese font for the dialogs in Japanese"
    [googletest]="the test framework, built from source with the cross-compiler"
    [clang-format]="the formatting check"
    [imagemagick]="photographing the windows on the virtual display (screenshots only)"
    [fonts-wine]="Wine's own fonts, Tahoma and the caption buttons' Marlett (screenshots only)"
)
packages=(cmake make python3 mingw-w64 wine wine32 xvfb xauth x11-utils locales
          fonts-ipafont-gothic googletest clang-format)
if [ "${1:-}" = screenshots ]; then
    packages+=(imagemagick fonts-wine)
fi
locales_needed=(en_US.UTF-8 ja_JP.UTF-8)

as_root() { if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi; }

missing_packages() {
    local p
    for p in "${packages[@]}"; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || echo "$p"
    done
}

missing_locales() {
    local have l
    have=$(locale -a 2>/dev/null | tr 'A-Z' 'a-z' | sed 's/utf-8/utf8/')
    for l in "${locales_needed[@]}"; do
        grep -qx "$(echo "$l" | tr 'A-Z' 'a-z' | sed 's/utf-8/utf8/')" <<<"$have" || echo "$l"
    done
}

if ! dpkg --print-foreign-architectures | grep -qx i386; then
    echo "Adding the i386 architecture to dpkg: Wine runs the tests' 32-bit Windows programs"
    as_root dpkg --add-architecture i386
    need_update=1
fi

mapfile -t todo < <(missing_packages)
if [ "${#todo[@]}" -gt 0 ]; then
    echo "Installing ${#todo[@]} Debian package(s); the first install takes a few minutes:"
    for p in "${todo[@]}"; do
        printf '  %-22s %s\n' "$p" "${why[$p]}"
    done
    as_root apt-get update -qq
    as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends \
        "${todo[@]}" >/dev/null
    echo "Installed."
elif [ -n "${need_update:-}" ]; then
    as_root apt-get update -qq
fi

mapfile -t todo < <(missing_locales)
if [ "${#todo[@]}" -gt 0 ]; then
    echo "Generating locales for the tests in English and Japanese: ${todo[*]}"
    for l in "${todo[@]}"; do
        as_root sed -i "s/^# *\(${l} UTF-8\)/\1/" /etc/locale.gen
        grep -q "^${l} UTF-8" /etc/locale.gen || echo "${l} UTF-8" | as_root tee -a /etc/locale.gen >/dev/null
    done
    as_root locale-gen >/dev/null
fi
