#!/usr/bin/env bash
# Installs what is missing from Debian's packages, builds, and then either starts the
# program on the virtual board ("run") or runs every test under the sanitizers and then
# every fuzz target for a short fixed time ("test").
set -euo pipefail

mode="${1:-}"
case "$mode" in
  run | test) ;;
  *) echo "usage: $0 run|test" >&2; exit 2 ;;
esac

top="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
packages=(g++ cmake make pkg-config qt6-base-dev qt6-charts-dev libusb-1.0-0-dev
          libgtest-dev libgmock-dev libbenchmark-dev xvfb xauth
          clang libclang-rt-14-dev help2man dpkg-dev file
          libeigen3-dev nlohmann-json3-dev libcli11-dev qt6-svg-dev
          python3-pyvisa python3-pyvisa-py)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if ((${#missing[@]})); then
  sudo=""
  [ "$(id -u)" -eq 0 ] || sudo="sudo"
  echo "Installing: ${missing[*]}"
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq "${missing[@]}"
fi

jobs="$(nproc 2>/dev/null || echo 2)"

if [ "$mode" = test ]; then
  build="$top/build-test"
  cmake -S "$top" -B "$build" -DCMAKE_BUILD_TYPE=Debug -DQUELNOR_SANITIZE=ON \
        -DQUELNOR_BENCH=ON >/dev/null
  cmake --build "$build" -j "$jobs"
  export ASAN_OPTIONS="detect_leaks=1:abort_on_error=1:halt_on_error=1:suppressions=$top/tools/asan.supp"
  export LSAN_OPTIONS="suppressions=$top/tools/lsan.supp:print_suppressions=0"
  export UBSAN_OPTIONS="halt_on_error=1:print_stacktrace=1"
  (cd "$build" && ctest --output-on-failure -j "$jobs")
  # The fuzz targets: their own build with Clang, each run for 20 seconds.
  exec bash "$top/tools/fuzz.sh" all 20
fi

build="$top/build"
cmake -S "$top" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQUELNOR_TESTS=OFF \
      -DQUELNOR_BENCH=OFF >/dev/null
cmake --build "$build" -j "$jobs" --target quelnor-eval
exec "$build/bin/quelnor-eval" --board sim
