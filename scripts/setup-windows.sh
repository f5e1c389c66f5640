#!/usr/bin/env bash
# Installs what the Windows build and its tests need besides the default
# set: the mingw-w64 cross compiler (posix thread model), wine, and
# GoogleTest's sources.
set -euo pipefail
QMR_WINDOWS=1 exec "$(dirname "${BASH_SOURCE[0]}")/setup.sh"
