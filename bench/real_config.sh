#!/usr/bin/env bash
# corvel in the program's own configuration (the chip device placed, a node
# on every pin holding that pin, a line and a register breakpoint armed that
# the program never reaches) against gpsim on the same program for the same
# number of instructions, measured in this run: bench/loop.asm and
# bench/loop_timer.asm (timer 0 on the instruction clock, the watchdog on).
# Then Real Time and X2 in the same configuration: the simulated rate against
# the wall clock and the process's processor time.
#
#   bench/real_config.sh [INSTRUCTIONS] [SECONDS]     (default 300000000, 5)
#
# Needs a built tree (cmake --build build --target corvel), gputils and gpsim.
# The bench executable is built into build/bench/, never build/bin/.
set -euo pipefail

here=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build="${TARNWICK_BUILD_DIR:-$here/build}"
instructions="${1:-300000000}"
seconds="${2:-5}"
repeats="${BENCH_REPEATS:-3}"
model=6            # PIC12F508: gpsim simulates it too
processor=p12f508
register_bp=0x1F   # a general-purpose register neither loop writes

work="$build/bench"
mkdir -p "$work"
cmake --build "$build" --target real_config_bench corvel >/dev/null
bench="$work/real_config_bench"
corvel="$build/bin/corvel.so"

seconds_now() { date +%s.%N; }
load() { cut -d' ' -f1-3 /proc/loadavg; }

# Best of $repeats: "instructions cycles seconds" of our engine.
ours() {
  local best="" line
  for _ in $(seq "$repeats"); do
    line=$("$bench" "$corvel" "$@")
    if [ -z "$best" ] || awk -v a="$line" -v b="$best" 'BEGIN { split(a, x); split(b, y); exit !(x[3] < y[3]) }'; then
      best=$line
    fi
  done
  echo "$best"
}

# Best of $repeats wall time of gpsim running program $1 to cycle $2 with
# the same breakpoints armed, without its start-up: the time of a run to
# cycle 1000 is taken off.
gpsim_seconds() {
  local program=$1 cycles=$2 line_bp=$3 best="" t0 t1 run base
  for target in "$cycles" 1000; do
    {
      echo "break e $line_bp"
      echo "break w $register_bp"
      echo "break c $target"
      echo "run"
      echo "quit"
    } >"$work/gpsim-$target.stc"
  done
  for _ in $(seq "$repeats"); do
    t0=$(seconds_now); gpsim -i -S disable -s "$work/$program.cod" -c "$work/gpsim-1000.stc" >/dev/null 2>&1; t1=$(seconds_now)
    base=$(echo "$t1 - $t0" | bc -l)
    t0=$(seconds_now); gpsim -i -S disable -s "$work/$program.cod" -c "$work/gpsim-$cycles.stc" >/dev/null 2>&1; t1=$(seconds_now)
    run=$(echo "$t1 - $t0 - $base" | bc -l)
    if [ -z "$best" ] || [ "$(echo "$run < $best" | bc -l)" = 1 ]; then best=$run; fi
  done
  echo "$best"
}

compare() {
  local program=$1 line_bp ic mc secs cycles gpsim_secs gpsim_rate our_rate unwired_rate
  gpasm -p "$processor" -o "$work/$program.hex" "$here/bench/$program.asm" >/dev/null
  line_bp=$(awk '$1 == "never" { print "0x" $2; exit }' "$work/$program.lst")
  [ -n "$line_bp" ] || { echo "no label 'never' in $program's listing" >&2; exit 1; }
  read -r ic mc secs < <(ours "$work/$program.hex" "$model" fastest "$instructions" "$line_bp" "$register_bp")
  our_rate=$(echo "$ic / $secs" | bc -l)
  read -r ic2 _ secs2 < <(ours "$work/$program.hex" "$model" fastest "$instructions" "$line_bp" "$register_bp" unwired)
  unwired_rate=$(echo "$ic2 / $secs2" | bc -l)
  # gpsim stops on a cycle count: the cycles of the same instructions, from
  # our run of the same program.
  cycles=$(echo "$instructions * $mc / $ic" | bc)
  gpsim_secs=$(gpsim_seconds "$program" "$cycles" "$line_bp")
  gpsim_rate=$(echo "$cycles * $ic / $mc / $gpsim_secs" | bc -l)
  printf '%-11s wired %6.1f M/s (x%.2f gpsim)   unwired %6.1f M/s (x%.2f)   gpsim %6.1f M/s   load %s\n' \
    "$program" "$(echo "$our_rate / 1000000" | bc -l)" "$(echo "$our_rate / $gpsim_rate" | bc -l)" \
    "$(echo "$unwired_rate / 1000000" | bc -l)" "$(echo "$unwired_rate / $gpsim_rate" | bc -l)" \
    "$(echo "$gpsim_rate / 1000000" | bc -l)" "$(load)"
}

real_time() {
  local title=$1 factor=$2 simulated wall cpu
  read -r simulated wall cpu < <("$bench" "$corvel" "$work/loop.hex" "$model" realtime "$factor" "$seconds")
  printf '%-9s simulated %.4f s in %.4f s of wall time: rate %.4f %% of x%s (error %+.3f %%), process CPU %.2f %% of one core   load %s\n' \
    "$title" "$simulated" "$wall" "$(echo "100 * $simulated / $wall / $factor" | bc -l)" "$factor" \
    "$(echo "100 * ($simulated / $wall / $factor - 1)" | bc -l)" "$(echo "100 * $cpu / $wall" | bc -l)" "$(load)"
}

echo "$instructions instructions on $processor, a line and a register breakpoint armed, best of $repeats"
compare loop
compare loop_timer
real_time "Real Time" 1
real_time "X2" 2
