#!/usr/bin/env bash
# Runs a Windows program under Wine in the build's private prefix (never the user's own).
set -euo pipefail
: "${WINEPREFIX:?WINEPREFIX must name the private prefix of the build}"
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" WINEARCH=win64
exec wine "$@"
