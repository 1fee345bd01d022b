#!/usr/bin/env bash
# Installs, through apt-get, exactly the Debian packages that the build and the tests need and that
# are missing. Does nothing (quickly) when everything is there.
set -euo pipefail

PACKAGES=(
  cmake make
  gcc-mingw-w64-x86-64-posix g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64
  gcc-mingw-w64-i686-posix g++-mingw-w64-i686-posix binutils-mingw-w64-i686
  libz-mingw-w64-dev
  googletest
  wine wine64 xvfb
  cabextract wixl imagemagick
  osslsigncode openssl
  clang-14 libclang-rt-14-dev libfuzzer-14-dev zlib1g-dev
)

missing=()
for pkg in "${PACKAGES[@]}"; do
  status=$(dpkg-query -W -f='${db:Status-Status}' "$pkg" 2>/dev/null || true)
  [[ "$status" == "installed" ]] || missing+=("$pkg")
done

if ((${#missing[@]} == 0)); then
  exit 0
fi

echo "bootstrap: installing ${missing[*]}"
SUDO=""
if [[ $(id -u) -ne 0 ]]; then SUDO="sudo"; fi
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
echo "bootstrap: done"
