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
#
# Without ctest arguments a stage runs each test program whole, split into a
# few parts that run side by side (`ctest -C whole -L whole`, see
# tests/CMakeLists.txt): one process per test costs several times more than
# the tests themselves. With ctest arguments it runs every test in a process
# of its own, as a plain ctest does, so `test -R Name` picks single tests.
# Each step prints its wall-clock and processor time.
set -euo pipefail

here=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build="${TARNWICK_BUILD_DIR:-$here/build}"
mode="${1:-run}"
[ $# -gt 0 ] && shift

packages=(g++ cmake ninja-build pkg-config qt6-base-dev libgl-dev libcurl4-openssl-dev
          googletest libgtest-dev gputils gpsim xvfb xauth)

# The tests the thread stage runs: everything where the simulation thread
# meets the main program, as a GoogleTest filter.
# (Parameterised suites carry a prefix: Waits/StopDuringAWait.)
thread_suites=(Run ThreadRun RunThread StopDuringAWait PauseSeenByTheMainProgram PacedRun Pacing RealTimeRate RealClockPacing
               Exports CorvelSo RunningChip)
thread_filter='*Stress*'
for suite in "${thread_suites[@]}"; do thread_filter+=":$suite.*:*/$suite.*"; done

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

# Many tests spend part of their time waiting (for a thread, a timer,
# gpsim), so more test processes run at once than there are processors.
test_jobs=$(( $(nproc) * 2 ))

# step <name> <command...>: runs a command and prints its wall-clock time
# and the processor time (user + system) of everything it started.
step() {
  local name="$1"; shift
  local start=$SECONDS before after status=0
  before=$(children_cpu)
  "$@" || status=$?
  after=$(children_cpu)
  echo "--- $name: $((SECONDS - start)) s wall, $(( (after - before) / 1000 )) s processor" \
       "($(nproc) processors; load $(cut -d' ' -f1-3 /proc/loadavg))"
  return $status
}

# Processor time (user + system) of this script's finished children, in
# milliseconds, from the kernel's account of the script's process.
children_cpu() {
  local stat
  stat=$(< "/proc/$$/stat")
  stat=${stat##*) }                  # the fields after the command's name
  local fields=($stat)
  echo $(( (fields[13] + fields[14]) * 1000 / $(getconf CLK_TCK) ))
}

# configure_and_build <build dir> <cmake options...> [-- <targets...>]
configure_and_build() {
  local dir="$1"; shift
  local options=() targets=()
  while [ $# -gt 0 ] && [ "$1" != "--" ]; do options+=("$1"); shift; done
  [ $# -gt 0 ] && shift
  targets=("$@")
  if [ ! -f "$dir/CMakeCache.txt" ]; then
    step configure cmake -S "$here" -B "$dir" -G Ninja "${options[@]}"
  fi
  if [ ${#targets[@]} -gt 0 ]; then
    step build cmake --build "$dir" -j"$(nproc)" --target "${targets[@]}"
  else
    step build cmake --build "$dir" -j"$(nproc)"
  fi
}

# run_tests <build dir> <timeout> [ctest args]: the whole programs in parts,
# or, given ctest arguments, each test on its own. TARNWICK_WHOLE_SELECT may
# narrow the parts (a -R pattern on their names).
run_tests() {
  local dir="$1" timeout="$2"; shift 2
  local select=(-C whole -L whole ${TARNWICK_WHOLE_SELECT:+-R "$TARNWICK_WHOLE_SELECT"})
  [ $# -gt 0 ] && select=()
  step tests ctest --test-dir "$dir" --output-on-failure -j"$test_jobs" --timeout "$timeout" \
    "${select[@]}" "$@"
}

# The sanitizer builds are optimised lightly (the test programs' own
# sources not at all) and carry line tables only: they build and run
# faster, and their reports still name every line.
sanitizer_options=(-DCMAKE_BUILD_TYPE=RelWithDebInfo "-DCMAKE_CXX_FLAGS_RELWITHDEBINFO=-O1 -g1"
                   "-DCMAKE_C_FLAGS_RELWITHDEBINFO=-O1 -g1" -DTARNWICK_TEST_SOURCE_OPTIONS=-O0)

# The normal build is optimised as a release is, without debugging
# information (with it, every file that includes Qt's or GoogleTest's
# headers takes twice as long to compile); the test programs' own sources
# are not optimised, which saves a third of their compile time.
normal_options=(-DCMAKE_BUILD_TYPE=Release "-DCMAKE_CXX_FLAGS_RELEASE=-O2 -DNDEBUG"
                "-DCMAKE_C_FLAGS_RELEASE=-O2 -DNDEBUG" -DTARNWICK_TEST_SOURCE_OPTIONS=-O0)

stage_normal() {
  configure_and_build "$build" "${normal_options[@]}"
  QT_QPA_PLATFORM=offscreen run_tests "$build" 600 "$@"
}

# The leak checker does not treat thread-local storage as a root
# (use_tls=0): walking it, its tracer faulted at the exit of several of the
# main program's tests after they had passed. This hides no leak of ours
# (memory held only from thread-local storage is now reported); glib's own
# per-thread data is suppressed as not ours.
stage_address() {
  local dir="${TARNWICK_ADDRESS_BUILD_DIR:-$here/build-address}"
  configure_and_build "$dir" -DTARNWICK_SANITIZE=address "${sanitizer_options[@]}" -- tw_tests
  QT_QPA_PLATFORM=offscreen \
  ASAN_OPTIONS="detect_leaks=1:strict_string_checks=1:detect_stack_use_after_return=1:check_initialization_order=1" \
  LSAN_OPTIONS="suppressions=$here/tools/sanitizers/lsan.supp:print_suppressions=0:use_tls=0" \
  UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1" \
    run_tests "$dir" 900 "$@"
}

stage_thread() {
  local dir="${TARNWICK_THREAD_BUILD_DIR:-$here/build-thread}"
  configure_and_build "$dir" -DTARNWICK_SANITIZE=thread "${sanitizer_options[@]}" -- test_engine test_exports test_mcu-device
  if [ $# -eq 0 ]; then
    # The three programs whole, each running only the thread tests.
    local -x GTEST_FILTER="$thread_filter"
    local TARNWICK_WHOLE_SELECT='^test_(engine|exports|mcu-device)/'
  fi
  QT_QPA_PLATFORM=offscreen \
  TSAN_OPTIONS="suppressions=$here/tools/sanitizers/tsan.supp:halt_on_error=1:second_deadlock_stack=1" \
    run_tests "$dir" 900 "$@"
}

# Runs one stage and prints how long it took.
timed() {
  local name="$1"; shift
  local start=$SECONDS before after
  before=$(children_cpu)
  echo "=== stage $name"
  local status=0
  "$@" || status=$?
  after=$(children_cpu)
  echo "=== stage $name: $((SECONDS - start)) s wall, $(( (after - before) / 1000 )) s processor," \
       "$([ $status -eq 0 ] && echo passed || echo "FAILED ($status)")"
  return $status
}

install_missing

case "$mode" in
  run)
    configure_and_build "$build" "${normal_options[@]}"
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
