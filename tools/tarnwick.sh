#!/usr/bin/env bash
# One entry point for a Debian 12 machine: installs what is missing, builds, then
# either starts the program ("run") or runs every test ("test").
set -euo pipefail

here=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build="${TARNWICK_BUILD_DIR:-$here/build}"
mode="${1:-run}"
[ $# -gt 0 ] && shift

packages=(g++ cmake ninja-build pkg-config qt6-base-dev libgl-dev libcurl4-openssl-dev
          googletest libgtest-dev gputils gpsim xvfb xauth)

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

configure_and_build() {
  if [ ! -f "$build/CMakeCache.txt" ]; then
    cmake -S "$here" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
  fi
  cmake --build "$build" -j"$(nproc)"
}

install_missing
configure_and_build

case "$mode" in
  run)
    exec "$build/bin/zemra" "$@" ;;
  test)
    export QT_QPA_PLATFORM=offscreen
    ctest --test-dir "$build" --output-on-failure -j"$(nproc)" --timeout 600 "$@" ;;
  *)
    echo "usage: $0 run|test" >&2; exit 2 ;;
esac
