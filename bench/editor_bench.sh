#!/usr/bin/env bash
# Times the source window on a generated source: classifying and colouring
# every line, one keystroke's re-check, scrolling and the sweep.
#
#   bench/editor_bench.sh [LINES] [REPEATS]      (default 10000 200)
#
# Needs a configured build tree (cmake -S . -B build). The bench executable
# is built into build/bench/, never build/bin/.
set -euo pipefail

here=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build="${TARNWICK_BUILD_DIR:-$here/build}"
work="$build/bench"
mkdir -p "$work"
cmake --build "$build" --target zemra >/dev/null
objects=$(find "$build/ide/CMakeFiles/zemra_core.dir" "$build/ide/CMakeFiles/tw_settings.dir" \
               "$build/devices/CMakeFiles/tw_contract.dir" -name '*.o')
# shellcheck disable=SC2086
g++ -O2 -std=c++20 -fPIC -I"$here" $(pkg-config --cflags Qt6Widgets) "$here/bench/editor_bench.cpp" $objects \
    $(pkg-config --libs Qt6Widgets) -ldl -o "$work/editor_bench"
"$work/editor_bench" "${1:-10000}" "${2:-200}"
