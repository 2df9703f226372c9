#!/usr/bin/env bash
# Time of our assembler (CompileAll into corvel.so through its exports, in
# process, best of several runs) against gpasm's (wall time of the whole
# process, best of several runs) on one generated 4000-line source for the
# PIC16F59, whose 2048 words are the most any model holds. The program words
# of both are compared first.
#
#   bench/asm_bench.sh [LINES]      (default 4000)
#
# Needs a configured build tree (cmake -S . -B build) and gputils. The bench
# executable is built into build/bench/, never build/bin/.
set -euo pipefail

here=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build="${TARNWICK_BUILD_DIR:-$here/build}"
lines="${1:-4000}"
repeats="${BENCH_REPEATS:-10}"
model=15            # PIC16F59
processor=p16f59

work="$build/bench"
mkdir -p "$work"
cmake --build "$build" --target zemra corvel >/dev/null
objects=$(find "$build/ide/CMakeFiles/zemra_core.dir" "$build/ide/CMakeFiles/tw_settings.dir" \
               "$build/devices/CMakeFiles/tw_contract.dir" -name '*.o')
# shellcheck disable=SC2086
g++ -O2 -std=c++20 -fPIC -I"$here" $(pkg-config --cflags Qt6Widgets) "$here/bench/asm_bench.cpp" $objects \
    $(pkg-config --libs Qt6Widgets) -ldl -o "$work/asm_bench"

# The source, in the part of the language both assemblers read alike
# (decimal numbers, explicit destinations and bit numbers, labels at column
# 1); gpasm's copy only adds END.
awk -v lines="$lines" 'BEGIN {
  srand(14)
  split("MOVLW IORLW ANDLW XORLW RETLW", literal, " ")
  split("SUBWF DECF IORWF ANDWF XORWF ADDWF MOVF COMF INCF DECFSZ RRF RLF SWAPF INCFSZ", withd, " ")
  split("BCF BSF BTFSC BTFSS", bitop, " ")
  for (i = 0; i < 8; i++) print "C" i " EQU " int(rand() * 32)
  print "L0:"
  labels = 1; instructions = 0; n = 9
  while (n < lines - 1) {
    r = rand()
    if (r < 0.08) { print "L" labels ":"; labels++ }
    else if (r < 0.22) print "; comment line " n ": with, punctuation"
    else if (r < 0.28) print ""
    else if (instructions >= 2000) print "        ; full"
    else {
      k = int(rand() * 6); instructions++
      if (k == 0) print "        " literal[1 + int(rand() * 5)] " " int(rand() * 256) "      ; literal"
      else if (k == 1) print "        " withd[1 + int(rand() * 14)] " C" int(rand() * 8) "," int(rand() * 2)
      else if (k == 2) print "        " bitop[1 + int(rand() * 4)] " " int(rand() * 32) "," int(rand() * 8)
      else if (k == 3) print "        GOTO L" int(rand() * labels)
      else if (k == 4) print "        CALL FWD"
      else print "        MOVWF " int(rand() * 32)
    }
    n++
  }
  print "FWD:    RETLW 0"
}' >"$work/asm_bench.asm"
{ cat "$work/asm_bench.asm"; echo "        END"; } >"$work/asm_bench_gpasm.asm"

read -r count words ours < <("$work/asm_bench" "$build/bin/corvel.so" "$work/asm_bench.asm" "$model" "$repeats" \
                             "$work/asm_bench.words")

gpasm_once() { gpasm -q -p "$processor" -r dec -o "$work/asm_bench.hex" "$work/asm_bench_gpasm.asm" >/dev/null; }
gpasm_once
python3 - "$work/asm_bench.hex" "$work/asm_bench.words" <<'PY'
import sys
memory = {}
upper = 0
for line in open(sys.argv[1]):
    line = line.strip()
    if not line.startswith(":"):
        continue
    data = bytes.fromhex(line[1:])
    count, address, kind = data[0], data[1] << 8 | data[2], data[3]
    if kind == 4:
        upper = (data[4] << 8 | data[5]) << 16
    elif kind == 0:
        for i in range(count):
            memory[upper + address + i] = data[4 + i]
ours = [int(w, 16) for w in open(sys.argv[2]).read().split()]
theirs = [memory.get(2 * a, 0) | memory.get(2 * a + 1, 0) << 8 for a in range(len(ours))]
if ours != theirs or len(memory) != 2 * len(ours):
    sys.exit("the words differ from gpasm's")
PY

# Best wall time of a command over $repeats runs.
best_of() {
  local best="" t0 t1 run
  for _ in $(seq "$repeats"); do
    t0=$(date +%s.%N); "$@"; t1=$(date +%s.%N)
    run=$(echo "$t1 - $t0" | bc -l)
    if [ -z "$best" ] || [ "$(echo "$run < $best" | bc -l)" = 1 ]; then best=$run; fi
  done
  echo "$best"
}
echo "        END" >"$work/asm_bench_empty.asm"
gpasm_empty() { gpasm -q -p "$processor" -r dec -o "$work/asm_bench_empty.hex" "$work/asm_bench_empty.asm" >/dev/null; }
best=$(best_of gpasm_once)
empty=$(best_of gpasm_empty)

echo "$count lines, $words words for $processor; words agree with gpasm's; best of $repeats"
printf 'ours  %8.2f ms (CompileAll into corvel.so, in process)\n' "$(echo "$ours * 1000" | bc -l)"
printf 'gpasm %8.2f ms (whole process; %.2f ms of it for an empty source)\n' \
  "$(echo "$best * 1000" | bc -l)" "$(echo "$empty * 1000" | bc -l)"
printf 'gpasm/ours %.1f (without gpasm'"'"'s start-up %.1f)\n' "$(echo "$best / $ours" | bc -l)" \
  "$(echo "($best - $empty) / $ours" | bc -l)"
