#!/usr/bin/env bash
# Main-thread cost of one refresh of the register views on a PIC16F59.
#
#   bench/views_refresh.sh [REFRESHES]      (default 2000)
#
# Needs a configured tree (tools/tarnwick.sh or cmake -S . -B build).
set -euo pipefail

here=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build="${TARNWICK_BUILD_DIR:-$here/build}"
cmake --build "$build" --target views_refresh_bench >/dev/null
QT_QPA_PLATFORM=offscreen "$build/bench/views_refresh_bench" "$build/bin/corvel.so" "${1:-2000}"
