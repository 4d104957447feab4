#!/usr/bin/env bash
# Sets up, builds and starts TavrinHelper.exe under Wine in the foreground on localhost:4618,
# with the test product (a stand-in Tavrin.exe that records its command line) beside it.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$root/build}
export WINEPREFIX=$build/wineprefix WINEDEBUG=-all

"$root/scripts/setup.sh"
BUILD_DIR=$build "$root/scripts/build.sh"
"$root/scripts/wine-prefix.sh" "$WINEPREFIX"

helper_dir=$build/helper
[[ -f "$helper_dir/TavrinHelper.exe" ]] || { echo "no $helper_dir/TavrinHelper.exe after the build" >&2; exit 1; }
# The build puts the test product beside the helper; put it back if it was removed.
[[ -f "$helper_dir/Tavrin.exe" ]] || cmake --build "$build" --target test_product

if curl -s -o /dev/null --max-time 3 http://127.0.0.1:4618/; then
  echo "Port 4618 is already in use (another TavrinHelper.exe?); stop it first:" >&2
  echo "  WINEPREFIX=$WINEPREFIX wineserver -k" >&2
  exit 1
fi

documents=$(ls -d "$WINEPREFIX"/drive_c/users/*/Documents | grep -v /users/Public/ | head -n 1)
cat <<INFO
TavrinHelper.exe serves http://localhost:4618 (try: curl -H "Origin: https://www.kestro.com" http://localhost:4618/ping).
Log file: $documents/Kestro MP3/logs/TavrinHelperLog.txt
The test product records each launch in $helper_dir/Tavrin-commandline.txt.
Stop with Ctrl-C, or from another shell: WINEPREFIX=$WINEPREFIX wineserver -k
INFO
# A GUI program under Wine ignores Ctrl-C, so the interrupt is passed on as a termination.
"$root/scripts/wine-run.sh" "$helper_dir/TavrinHelper.exe" &
helper_pid=$!
trap 'kill -TERM "$helper_pid" 2>/dev/null || true' INT TERM
status=0
wait "$helper_pid" || status=$?
if kill -0 "$helper_pid" 2>/dev/null; then wait "$helper_pid" || status=$?; fi
echo "TavrinHelper.exe has ended."
exit $status
