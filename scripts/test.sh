#!/usr/bin/env bash
# Sets up the machine, builds, and runs every test under Wine in the build's private prefix.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$root/build}
"$root/scripts/setup.sh"
BUILD_DIR=$build "$root/scripts/build.sh"
"$root/scripts/wine-prefix.sh" "$build/wineprefix"
cd "$build"
status=0
ctest --output-on-failure --timeout 600 -j "$(nproc)" "$@" || status=$?
WINEPREFIX=$build/wineprefix wineserver -k >/dev/null 2>&1 || true
exit $status
