#!/usr/bin/env bash
# Builds a Release build with the benchmarks and runs every benchmark program that bench/CMakeLists.txt
# builds, one after another, printing their figures. Those that need a display run offscreen.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
dir=build/bench
# CMake's file API names the programs, however bench/CMakeLists.txt makes them.
mkdir -p "$dir/.cmake/api/v1/query"
touch "$dir/.cmake/api/v1/query/codemodel-v2"
cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=Release -DKESTRUNE_TESTS=OFF -DKESTRUNE_BENCH=ON >/dev/null
mapfile -t programs < <(/usr/bin/python3 - "$dir" <<'PY'
import glob, json, os, sys
reply = os.path.join(sys.argv[1], ".cmake/api/v1/reply")
index = json.load(open(max(glob.glob(os.path.join(reply, "index-*.json")))))
model = json.load(open(os.path.join(reply, index["reply"]["codemodel-v2"]["jsonFile"])))
config = model["configurations"][0]
for target in sorted(config["targets"], key=lambda t: t["name"]):
    if config["directories"][target["directoryIndex"]]["source"] != "bench":
        continue
    details = json.load(open(os.path.join(reply, target["jsonFile"])))
    if details["type"] == "EXECUTABLE":
        print(target["name"], details["artifacts"][0]["path"])
PY
)
if [ ${#programs[@]} -eq 0 ]; then
  echo "No benchmark programs (is libbenchmark-dev installed?)" >&2
  exit 1
fi
cmake --build "$dir" -j 4 --target $(printf '%s\n' "${programs[@]}" | cut -d' ' -f1)

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
mkdir -m 700 "$scratch/runtime" "$scratch/config" "$scratch/cache"
export QT_QPA_PLATFORM=offscreen XDG_RUNTIME_DIR="$scratch/runtime" XDG_CONFIG_HOME="$scratch/config" \
  XDG_CACHE_HOME="$scratch/cache" PYTHONDONTWRITEBYTECODE=1
failed=()
for entry in "${programs[@]}"; do
  echo "== ${entry%% *}"
  # The offscreen platform's notes on what it cannot do are no figures.
  set +e
  "$dir/${entry#* }" 2>&1 | grep -v '^This plugin does not support'
  status=${PIPESTATUS[0]}
  set -e
  [ "$status" -eq 0 ] || failed+=("${entry%% *} (exit $status)")
  echo
done
if [ ${#failed[@]} -gt 0 ]; then
  echo "Failed: ${failed[*]}" >&2
  exit 1
fi
