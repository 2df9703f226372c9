#!/usr/bin/env bash
# One entry point for a Debian 12 machine: installs what is missing, builds, then
# either starts the program ("run") or runs the tests ("test").
#
#   tools/tarnwick.sh run [program arguments]
#   tools/tarnwick.sh test                      every stage below, one after the other, each timed
#   tools/tarnwick.sh test normal  [ctest args] the whole suite in the normal build (build/); ctest
#                                               arguments alone (test -R Name) mean this stage
#   tools/tarnwick.sh test address [ctest args] the whole suite with address and undefined-behaviour
#                                               checks (build-address/)
#   tools/tarnwick.sh test thread  [ctest args] the engine, its exports, its threads and the stress
#                                               tests with the thread checker (build-thread/)
set -euo pipefail

here=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build="${TARNWICK_BUILD_DIR:-$here/build}"
mode="${1:-run}"
[ $# -gt 0 ] && shift

packages=(g++ cmake ninja-build pkg-config qt6-base-dev libgl-dev libcurl4-openssl-dev
          googletest libgtest-dev gputils gpsim xvfb xauth)

# The tests the thread stage runs: everything where the simulation thread
# meets the main program.
# (Parameterised suites carry a prefix: Waits/StopDuringAWait.)
thread_tests='(^|/)(Run|ThreadRun|RunThread|StopDuringAWait|PacedRun|Pacing|RealTimeRate|RealClockPacing|Exports|CorvelSo|RunningChip)\.|Stress'

install_missing() {
  local missing=()
  for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  echo "Installing: ${missing[*]}"
  local sudo=()
  [ "$(id -u)" -ne 0 ] && sudo=(sudo)
  "${sudo[@]}" apt-get update -qq
  DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
}

# Most tests spend their time waiting (for a thread, a timer, gpsim), so
# more of them run at once than there are processors.
test_jobs=$(( $(nproc) * 3 ))

# configure_and_build <build dir> <cmake options...> [-- <targets...>]
configure_and_build() {
  local dir="$1"; shift
  local options=() targets=()
  while [ $# -gt 0 ] && [ "$1" != "--" ]; do options+=("$1"); shift; done
  [ $# -gt 0 ] && shift
  targets=("$@")
  if [ ! -f "$dir/CMakeCache.txt" ]; then
    cmake -S "$here" -B "$dir" -G Ninja "${options[@]}"
  fi
  if [ ${#targets[@]} -gt 0 ]; then
    cmake --build "$dir" -j"$(nproc)" --target "${targets[@]}"
  else
    cmake --build "$dir" -j"$(nproc)"
  fi
}

# The sanitizer builds are optimised lightly and carry line tables only:
# they build and run faster, and their reports still name every line.
sanitizer_options=(-DCMAKE_BUILD_TYPE=RelWithDebInfo "-DCMAKE_CXX_FLAGS_RELWITHDEBINFO=-O1 -g1"
                   "-DCMAKE_C_FLAGS_RELWITHDEBINFO=-O1 -g1")

stage_normal() {
  configure_and_build "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo
  QT_QPA_PLATFORM=offscreen ctest --test-dir "$build" --output-on-failure -j"$test_jobs" --timeout 600 "$@"
}

stage_address() {
  local dir="${TARNWICK_ADDRESS_BUILD_DIR:-$here/build-address}"
  configure_and_build "$dir" -DTARNWICK_SANITIZE=address "${sanitizer_options[@]}"
  QT_QPA_PLATFORM=offscreen \
  ASAN_OPTIONS="detect_leaks=1:strict_string_checks=1:detect_stack_use_after_return=1:check_initialization_order=1" \
  LSAN_OPTIONS="suppressions=$here/tools/sanitizers/lsan.supp:print_suppressions=0" \
  UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1" \
    ctest --test-dir "$dir" --output-on-failure -j"$test_jobs" --timeout 900 "$@"
}

stage_thread() {
  local dir="${TARNWICK_THREAD_BUILD_DIR:-$here/build-thread}"
  configure_and_build "$dir" -DTARNWICK_SANITIZE=thread "${sanitizer_options[@]}" -- test_engine test_exports test_mcu-device
  local filter=(-R "$thread_tests")
  [ $# -gt 0 ] && filter=()
  QT_QPA_PLATFORM=offscreen \
  TSAN_OPTIONS="suppressions=$here/tools/sanitizers/tsan.supp:halt_on_error=1:second_deadlock_stack=1" \
    ctest --test-dir "$dir" --output-on-failure -j"$test_jobs" --timeout 900 "${filter[@]}" "$@"
}

# Runs one stage and prints how long it took.
timed() {
  local name="$1"; shift
  local start=$SECONDS
  echo "=== stage $name"
  local status=0
  "$@" || status=$?
  echo "=== stage $name: $((SECONDS - start)) s, $([ $status -eq 0 ] && echo passed || echo "FAILED ($status)")"
  return $status
}

install_missing

case "$mode" in
  run)
    configure_and_build "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo
    exec "$build/bin/zemra" "$@" ;;
  test)
    stage="${1:-all}"
    [ $# -gt 0 ] && shift
    case "$stage" in
      normal) stage_normal "$@" ;;
      address) stage_address "$@" ;;
      thread) stage_thread "$@" ;;
      -*) stage_normal "$stage" "$@" ;;
      all)
        start=$SECONDS
        status=0
        timed normal stage_normal || status=1
        timed address stage_address || status=1
        timed thread stage_thread || status=1
        echo "=== all stages: $((SECONDS - start)) s"
        exit $status ;;
      *)
        echo "usage: $0 test [normal|address|thread] [ctest arguments]" >&2; exit 2 ;;
    esac ;;
  *)
    echo "usage: $0 run|test" >&2; exit 2 ;;
esac
