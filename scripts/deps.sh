#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs the Debian packages the build, the tests and the program need, when missing,
# and the further packages named as arguments: scripts/deps.sh [PACKAGE...]
# With --only, just the named packages (the Windows cross-build needs none of the Linux ones).
set -euo pipefail
if [ "${1:-}" = "--only" ]; then
    shift
    packages=("$@")
else
    packages=(cmake ninja-build g++ clang qt6-base-dev qt6-translations-l10n libgtest-dev libgmock-dev
              libbenchmark-dev libclang-rt-14-dev zlib1g-dev libzip-dev libpugixml-dev libqpdf-dev
              pkg-config fonts-noto-cjk shared-mime-info xvfb xauth xdg-utils x11-apps "$@")
fi
missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0
sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"
echo "Installing: ${missing[*]}"
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
