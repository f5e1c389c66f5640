#!/usr/bin/env bash
# Installs what the Windows build and its tests need, on top of setup.sh:
# the mingw-w64 cross compiler (posix thread model), wine to run the test
# programs, and Google Test's sources (compiled for Windows by the build).
# Large (about 1 GB with wine), so kept apart from the default set.
set -euo pipefail

packages=(g++-mingw-w64-x86-64-posix wine wine64 googletest)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done

if [ ${#missing[@]} -gt 0 ]; then
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi
