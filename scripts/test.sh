#!/usr/bin/env bash
# Installs what Kestrune needs, builds it and runs every test.
# An optional argument names the build type (Sanitize: AddressSanitizer + UndefinedBehaviorSanitizer).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
build_type=${1:-RelWithDebInfo}
dir=build/$(echo "$build_type" | tr '[:upper:]' '[:lower:]')
bench=ON
[ "$build_type" = Sanitize ] && bench=OFF
cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE="$build_type" -DKESTRUNE_BENCH=$bench >/dev/null
cmake --build "$dir"
ctest --test-dir "$dir" --output-on-failure -j "$(nproc)"
