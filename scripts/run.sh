#!/usr/bin/env bash
# Installs what Kestrune needs, builds it and starts it.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=Release -DKESTRUNE_TESTS=OFF -DKESTRUNE_BENCH=OFF >/dev/null
cmake --build build/release --target kestrune
exec build/release/src/kestrune "$@"
