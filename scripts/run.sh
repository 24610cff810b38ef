#!/usr/bin/env bash
# Installs what is missing, builds Vantor (Release) and starts it. Arguments go to the
# program (one optional photograph or board file to open).
#
# Without a display (neither DISPLAY nor WAYLAND_DISPLAY set) the program is started on
# a virtual X display with xvfb-run, where nothing can be seen: it runs for
# VANTOR_XVFB_SECONDS seconds (default 10) and is then stopped, to show that it starts.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/deps.sh
cmake -S . -B build-release -G Ninja -DCMAKE_BUILD_TYPE=Release \
  -DVANTOR_BUILD_TESTS=OFF -DVANTOR_BUILD_BENCH=OFF >/dev/null
cmake --build build-release --target vantor

if [[ -n "${DISPLAY:-}" || -n "${WAYLAND_DISPLAY:-}" ]]; then
  exec ./build-release/vantor "$@"
fi

seconds="${VANTOR_XVFB_SECONDS:-10}"
echo "No display found: neither DISPLAY nor WAYLAND_DISPLAY is set."
echo "Starting Vantor on a virtual X display (xvfb-run) for ${seconds} seconds;"
echo "its window cannot be seen there. Run this script on a desktop to use Vantor."
set +e
timeout "${seconds}" xvfb-run -a -s "-screen 0 1280x800x24" ./build-release/vantor "$@"
status=$?
set -e
if [[ ${status} -eq 124 ]]; then
  echo "Vantor started and ran for ${seconds} seconds; it was stopped now."
  exit 0
fi
echo "Vantor ended by itself with exit code ${status} within ${seconds} seconds."
exit "${status}"
