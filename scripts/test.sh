#!/usr/bin/env bash
# Installs what is missing, builds everything and runs every test; then builds again
# with AddressSanitizer and UndefinedBehaviorSanitizer and runs the tests again.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/deps.sh

jobs=$(nproc)
export QT_QPA_PLATFORM=offscreen

# A locale with a decimal comma, built privately, so the tests can check that files are
# written with a decimal point whatever the user's locale.
mkdir -p build-locale
if [ ! -d build-locale/de_DE.UTF-8 ]; then
  localedef -i de_DE -f UTF-8 build-locale/de_DE.UTF-8 2>/dev/null || true
fi
export LOCPATH="$PWD/build-locale"

echo "== Build (warnings are errors)"
cmake -S . -B build-test -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVANTOR_WERROR=ON >/dev/null
cmake --build build-test -j "$jobs"
echo "== Tests"
ctest --test-dir build-test --output-on-failure -j "$jobs"

echo "== Build with AddressSanitizer and UndefinedBehaviorSanitizer"
cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DVANTOR_WERROR=ON \
  -DVANTOR_SANITIZE=ON -DVANTOR_BUILD_BENCH=OFF >/dev/null
cmake --build build-asan -j "$jobs"
echo "== Tests under the sanitizers"
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
  ctest --test-dir build-asan --output-on-failure -j "$jobs"
