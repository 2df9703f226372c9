#!/usr/bin/env bash
# Instruction rate of corvel's engine at its fastest rate, driven through
# corvel.so's exports, against gpsim on the same program for the same number
# of instructions; then the same with one line breakpoint and one register
# breakpoint armed that the program never reaches.
#
#   bench/run.sh [INSTRUCTIONS]      (default 500000000)
#
# Needs a built tree (tools/tarnwick.sh or cmake --build build), gputils and
# gpsim. The bench executable is built into build/bench/, never build/bin/.
set -euo pipefail

here=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build="${TARNWICK_BUILD_DIR:-$here/build}"
instructions="${1:-500000000}"
repeats="${BENCH_REPEATS:-3}"
model=6            # PIC12F508: gpsim simulates it too
processor=p12f508
register_bp=0x1F   # a general-purpose register the loop never writes

work="$build/bench"
mkdir -p "$work"
[ -f "$build/bin/corvel.so" ] || { echo "build corvel.so first: cmake --build $build" >&2; exit 1; }
cc -O2 -std=gnu17 -Wall -Wextra -I"$here" "$here/bench/exports_bench.c" -ldl -o "$work/exports_bench"
gpasm -p "$processor" -o "$work/loop.hex" "$here/bench/loop.asm" >/dev/null
line_bp=$(awk '$1 == "never" { print "0x" $2; exit }' "$work/loop.lst")
[ -n "$line_bp" ] || { echo "no label 'never' in the listing" >&2; exit 1; }

seconds_now() { date +%s.%N; }

# Best of $repeats: "instructions cycles seconds" of our engine.
ours() {
  local best="" line
  for _ in $(seq "$repeats"); do
    line=$("$work/exports_bench" "$build/bin/corvel.so" "$work/loop.hex" "$model" "$instructions" "$@")
    if [ -z "$best" ] || awk -v a="$line" -v b="$best" 'BEGIN { split(a, x); split(b, y); exit !(x[3] < y[3]) }'; then
      best=$line
    fi
  done
  echo "$best"
}

# Best of $repeats wall time of gpsim running to cycle $1, without its
# start-up: the time of a run to cycle 1000 is taken off.
gpsim_seconds() {
  local cycles=$1; shift
  local script="$work/gpsim.stc" best="" t0 t1 run base
  {
    for command in "$@"; do echo "$command"; done
    echo "break c $cycles"
    echo "run"
    echo "quit"
  } >"$script"
  {
    for command in "$@"; do echo "$command"; done
    echo "break c 1000"
    echo "run"
    echo "quit"
  } >"$work/gpsim-base.stc"
  for _ in $(seq "$repeats"); do
    t0=$(seconds_now); gpsim -i -S disable -s "$work/loop.cod" -c "$work/gpsim-base.stc" >/dev/null 2>&1; t1=$(seconds_now)
    base=$(echo "$t1 - $t0" | bc -l)
    t0=$(seconds_now); gpsim -i -S disable -s "$work/loop.cod" -c "$script" >/dev/null 2>&1; t1=$(seconds_now)
    run=$(echo "$t1 - $t0 - $base" | bc -l)
    if [ -z "$best" ] || [ "$(echo "$run < $best" | bc -l)" = 1 ]; then best=$run; fi
  done
  echo "$best"
}

compare() {
  local title=$1; shift
  local ours_args=() gpsim_commands=()
  if [ "$title" = "breakpoints armed" ]; then
    ours_args=("$line_bp" "$register_bp")
    gpsim_commands=("break e $line_bp" "break w $register_bp")
  fi
  read -r ic mc secs < <(ours "${ours_args[@]}")
  # gpsim stops on a cycle count: the cycles of the same instructions, from
  # our run of the same program.
  local cycles gpsim_secs gpsim_ic our_rate gpsim_rate
  cycles=$(echo "$instructions * $mc / $ic" | bc)
  gpsim_secs=$(gpsim_seconds "$cycles" "${gpsim_commands[@]}")
  gpsim_ic=$(echo "$cycles * $ic / $mc" | bc -l)
  our_rate=$(echo "$ic / $secs" | bc -l)
  gpsim_rate=$(echo "$gpsim_ic / $gpsim_secs" | bc -l)
  printf '%-18s  ours %7.1f M instructions/s   gpsim %7.1f M instructions/s   ours/gpsim %.2f\n' \
    "$title" "$(echo "$our_rate / 1000000" | bc -l)" "$(echo "$gpsim_rate / 1000000" | bc -l)" \
    "$(echo "$our_rate / $gpsim_rate" | bc -l)"
}

echo "$instructions instructions of bench/loop.asm on $processor, best of $repeats"
compare "no breakpoints"
compare "breakpoints armed"
