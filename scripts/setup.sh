#!/usr/bin/env bash
# Installs every Debian package that the build, the program and the tests
# need. Safe to run again: it installs only what is missing.
set -euo pipefail

packages=(
    build-essential cmake ninja-build pkg-config   # the toolchain
    libgtest-dev libgmock-dev                      # unit and behaviour tests
    libbenchmark-dev                               # benchmark programs
    clang libclang-rt-14-dev                       # fuzz targets (libFuzzer)
    libsqlite3-dev sqlite3                         # the Notes database files
    libjemalloc-dev                                # the program's allocator
    libisal-dev                                    # the PST store's CRCs
    zlib1g-dev libpng-dev                          # PNG screenshots
    libfreetype-dev fonts-dejavu-core              # text rendering
    fonts-droid-fallback fonts-nanum fonts-symbola # linked fonts: CJK, hangul, symbols and emoji
    libfribidi-dev                                 # right-to-left text: Arabic joining and bidirectional order
    libx11-dev                                     # the desktop display
    xvfb                                           # a virtual X server that the desktop display is tested under
    pst-utils pff-tools                            # independent PST readers used by the tests
    libgsf-bin                                     # reads the .msg files that readpst writes, in the tests
    unrtf                                          # independent RTF reader used by the tests
)

missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -eq 0 ]; then
    exit 0
fi

sudo=""
if [ "$(id -u)" -ne 0 ]; then
    if ! command -v sudo >/dev/null 2>&1; then
        echo "setup.sh: these Debian packages are missing: ${missing[*]}" >&2
        echo "setup.sh: installing them needs root, and this machine has no sudo. As root, run:" >&2
        echo "    apt-get update && apt-get install -y --no-install-recommends ${missing[*]}" >&2
        echo "then run this command again." >&2
        exit 1
    fi
    sudo="sudo"
fi
echo "Installing: ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
$sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
