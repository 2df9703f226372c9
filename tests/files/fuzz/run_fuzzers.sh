#!/bin/sh
# Builds the project file and Intel HEX fuzzers with clang's libFuzzer and
# runs each for a bounded number of inputs (default 200000), seeded with a
# sound file of each kind (seeds/). Usage: tests/files/fuzz/run_fuzzers.sh [runs]
set -eu
runs=${1:-200000}
root=$(cd "$(dirname "$0")/../../.." && pwd)
out=${TMPDIR:-/tmp}/tarnwick-fuzz
mkdir -p "$out"
qt="$(pkg-config --cflags --libs Qt6Core Qt6Gui)"
common="-std=c++20 -g -O1 -fPIC -fsanitize=fuzzer,address,undefined -I$root $qt"
# The codecs and what they need of the main program.
sources="$root/ide/files/project_file.cpp $root/ide/files/intel_hex.cpp $root/ide/files/file_access.cpp
  $root/ide/files/program_memory.cpp $root/ide/main/simulator_binding.cpp $root/ide/workbench/shared_library.cpp
  $root/ide/texts/texts.cpp $root/ide/texts/settings.cpp $root/devices/contract.cpp"
for fuzzer in project_file intel_hex; do
  # shellcheck disable=SC2086
  clang++ $common "$root/tests/files/fuzz/${fuzzer}_fuzzer.cpp" $sources \
    -ldl -o "$out/${fuzzer}_fuzzer"
  mkdir -p "$out/${fuzzer}_corpus"
  case $fuzzer in
    project_file) cp "$root/tests/files/fuzz/seeds/project.zemra" "$out/${fuzzer}_corpus/" ;;
    intel_hex) cp "$root/tests/files/fuzz/seeds/program.hex" "$out/${fuzzer}_corpus/" ;;
  esac
  "$out/${fuzzer}_fuzzer" -runs="$runs" -max_len=8192 "$out/${fuzzer}_corpus"
done
