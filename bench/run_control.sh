#!/usr/bin/env bash
# The main window's cost to the engine at Ultimate, and the processor time
# at Real Time and X2, in the configuration the program uses.
#
#   bench/run_control.sh [SECONDS]      (default 3 per measurement)
#
# Needs a configured tree (tools/tarnwick.sh or cmake -S . -B build).
set -euo pipefail

here=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build="${TARNWICK_BUILD_DIR:-$here/build}"
cmake --build "$build" --target run_control_bench >/dev/null
QT_QPA_PLATFORM=offscreen XDG_CONFIG_HOME="$(mktemp -d)" "$build/bench/run_control_bench" "$build/bin/corvel.so" "${1:-3}"
