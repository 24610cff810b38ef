#!/usr/bin/env bash
# Installs what is missing, checks the format, builds everything and runs every test
# (the include rules among them) and clang-tidy; then builds again with AddressSanitizer
# and UndefinedBehaviorSanitizer and runs the tests again; runs the tests of the threads
# under ThreadSanitizer; last, fuzzes each file reader for a while (clang, libFuzzer).
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

# The tree is formatted with clang-format 14 (.clang-format); a newer version may format
# differently, so the versioned binary decides.
echo "== Format ($(clang-format-14 --version))"
unformatted=$(git ls-files '*.cpp' '*.h' | while read -r f; do
  clang-format-14 "$f" | cmp -s - "$f" || echo "$f"
done)
if [ -n "$unformatted" ]; then
  echo "These files differ from clang-format-14's output (run clang-format-14 -i on them):"
  echo "$unformatted"
  exit 1
fi

echo "== Build (warnings are errors)"
cmake -S . -B build-test -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVANTOR_WERROR=ON >/dev/null
cmake --build build-test -j "$jobs"
echo "== Tests"
ctest --test-dir build-test --output-on-failure -j "$jobs"
echo "== clang-tidy"
bash scripts/tidy.sh build-test

echo "== Build with AddressSanitizer and UndefinedBehaviorSanitizer"
cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DVANTOR_WERROR=ON \
  -DVANTOR_SANITIZE=ON -DVANTOR_BUILD_BENCH=OFF >/dev/null
cmake --build build-asan -j "$jobs"
echo "== Tests under the sanitizers"
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 LSAN_OPTIONS=suppressions=$PWD/tests/lsan.supp \
  UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 ctest --test-dir build-asan --output-on-failure -j "$jobs"

echo "== Threads under ThreadSanitizer (library loading, repaint queue, banded drawing, board passes)"
tsan_tests=(board_LibrarySetTest board_CLoadLibraryTest board_CDrawingQueueTest board_BandedDrawingTest
  board_SpatialIndexTest)
cmake -S . -B build-tsan -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVANTOR_WERROR=ON \
  -DVANTOR_TSAN=ON -DVANTOR_BUILD_BENCH=OFF >/dev/null
cmake --build build-tsan -j "$jobs" --target "${tsan_tests[@]}"
for t in "${tsan_tests[@]}"; do
  TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1 suppressions=$PWD/tests/tsan.supp" \
    "build-tsan/tests/$t" --gtest_brief=1
done

echo "== Fuzzing the file readers"
# The readers and libraries instrumented for libFuzzer; only the fuzz targets are built.
fuzz_targets=(DocumentFuzz LayerDatFuzz LibDatFuzz LibraryFuzz)
CC=clang-14 CXX=clang++-14 cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DVANTOR_BUILD_FUZZ=ON -DVANTOR_BUILD_TESTS=OFF -DVANTOR_BUILD_BENCH=OFF >/dev/null
cmake --build build-fuzz -j "$jobs" --target "${fuzz_targets[@]}"
# Each target starts from a copy of its saved inputs, so the repository is left as it
# is; the targets run side by side, and any crash, leak, sanitizer report, hang or
# fault found in what was read fails the run.
fuzz_work=$(mktemp -d)
trap 'rm -rf "$fuzz_work"' EXIT
for t in "${fuzz_targets[@]}"; do
  mkdir -p "$fuzz_work/$t/corpus" "$fuzz_work/$t/found"
  cp tests/data/fuzz/"$t"/* "$fuzz_work/$t/corpus/"
  ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
    "build-fuzz/tests/fuzz/$t" -max_total_time=30 -rss_limit_mb=2048 -timeout=20 \
    -print_final_stats=1 -artifact_prefix="$fuzz_work/$t/found/" "$fuzz_work/$t/corpus" \
    >"$fuzz_work/$t/log" 2>&1 &
  echo $! >"$fuzz_work/$t/pid"
done
fuzz_failed=0
for t in "${fuzz_targets[@]}"; do
  if wait "$(cat "$fuzz_work/$t/pid")"; then
    echo "$t: $(grep -m1 '^stat::number_of_executed_units' "$fuzz_work/$t/log" | sed 's/.*: *//') inputs, no fault"
  else
    fuzz_failed=1
    echo "$t FOUND A FAULT:"
    tail -n 80 "$fuzz_work/$t/log"
    for f in "$fuzz_work/$t/found"/*; do
      [ -e "$f" ] || continue
      echo "input $(basename "$f") (base64; keep it as tests/data/fuzz/$t/crash-NAME):"
      base64 -w 0 "$f"
      echo
    done
  fi
done
if [ "$fuzz_failed" -ne 0 ]; then
  exit 1
fi
