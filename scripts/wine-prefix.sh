#!/usr/bin/env bash
# Creates (first time) and starts the build's private 64-bit Wine prefix with every output
# sent to /dev/null: Wine's services would otherwise inherit the caller's pipes and keep
# a test runner waiting for them forever.
set -euo pipefail
prefix=${1:?usage: wine-prefix.sh PREFIX}
export WINEPREFIX=$prefix WINEDEBUG=-all WINEARCH=win64 WINEDLLOVERRIDES="mscoree,mshtml="
mkdir -p "$prefix"
wineserver -p </dev/null >/dev/null 2>&1 || true  # fails when it already runs
wine cmd /c exit </dev/null >/dev/null 2>&1
# Wine links the user's Documents, Desktop, Downloads and media folders to the Unix home
# folder, which every prefix would share; real folders keep what programs write there (the
# helper's log) private to this prefix.
for folder in "$prefix"/drive_c/users/*/*; do
  if [[ -L "$folder" ]]; then rm "$folder" && mkdir "$folder"; fi
done
