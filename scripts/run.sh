#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds Quorvel and starts it.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/build.sh build
exec build/src/app/quorvel "$@"
