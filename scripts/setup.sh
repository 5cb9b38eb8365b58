#!/usr/bin/env bash
# Installs what the build needs (Debian 12; apt as root or through sudo) and
# builds the project into $BUILD_DIR (default: build). Extra arguments go to
# the cmake configuration.
set -euo pipefail
top=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build_dir=${BUILD_DIR:-$top/build}

packages=(cmake g++ make pkg-config python3 libtinyxml-dev zlib1g-dev libgtest-dev libgmock-dev libbenchmark-dev
          binutils-mingw-w64-x86-64 g++-mingw-w64-x86-64-posix mingw-w64-tools
          libevt-utils libevtx-utils python3-evtx clang-format-14)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  sudo_cmd=""
  [ "$(id -u)" -eq 0 ] || sudo_cmd="sudo"
  $sudo_cmd apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo_cmd apt-get install -y -qq "${missing[@]}" >/dev/null
fi

cmake -S "$top" -B "$build_dir" -DCMAKE_BUILD_TYPE=${BUILD_TYPE:-RelWithDebInfo} "$@" >/dev/null
cmake --build "$build_dir" -j2
