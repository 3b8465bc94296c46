#!/usr/bin/env bash
# Installs what the build needs and is missing (Debian packages only). Pass "--windows" to add
# the cross-builds' and Wine stage's packages. clang and its runtime build the fuzzers.
set -euo pipefail
pkgs=(cmake g++ make libgtest-dev libgmock-dev googletest libbenchmark-dev nlohmann-json3-dev libcli11-dev
      libsqlite3-dev clang-format clang libclang-rt-14-dev)
if [[ "${1:-}" == "--windows" ]]; then
  pkgs+=(g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64 wine64 xvfb xauth
         g++-mingw-w64-i686-posix gcc-mingw-w64-i686-posix binutils-mingw-w64-i686)
fi
missing=()
for p in "${pkgs[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if ((${#missing[@]})); then
  echo "Installing: ${missing[*]}"
  SUDO=""; [[ $(id -u) -ne 0 ]] && SUDO="sudo"
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq "${missing[@]}"
fi
