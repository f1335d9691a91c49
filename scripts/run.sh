#!/usr/bin/env bash
# Builds Quorvel and starts it.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/build.sh build
exec build/src/app/quorvel "$@"
