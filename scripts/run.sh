#!/usr/bin/env bash
# Installs what is missing, builds Vantor (Release) and starts it.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/deps.sh
cmake -S . -B build-release -G Ninja -DCMAKE_BUILD_TYPE=Release \
  -DVANTOR_BUILD_TESTS=OFF -DVANTOR_BUILD_BENCH=OFF >/dev/null
cmake --build build-release --target vantor
exec ./build-release/vantor "$@"
