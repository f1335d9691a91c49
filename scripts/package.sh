#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds the Debian package build-release/quorvel_<version>_amd64.deb: a Release build
# without tests or benchmarks, installed under /usr.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh dpkg-dev
cmake -S . -B build-release -G Ninja -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX=/usr \
    -DBUILD_TESTING=OFF -DQUORVEL_BENCH=OFF >/dev/null
cmake --build build-release
(cd build-release && cpack -G DEB >/dev/null)
ls build-release/quorvel_*.deb
