# Shared steps of the end-to-end tests: stage TavrinHelper.exe with the test product in a folder
# whose name has a space, start it under Wine on the real port, and always stop it again.
# Sourced by e2e_*.sh with: HELPER_EXE PRODUCT_EXE MAKER_DOMAIN.

set -euo pipefail
: "${WINEPREFIX:?WINEPREFIX must name the private Wine prefix of the build}"
export WINEDEBUG=-all

repo_root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
helper_exe=${1:?helper executable}
product_exe=${2:?test product executable}
maker_domain=${3:?maker domain}
port=4618
base_url=http://127.0.0.1:$port

fail() {
  echo "FAIL: $*" >&2
  exit 1
}

workdir=$(mktemp -d /tmp/tavrin-e2e.XXXXXX)
stage="$workdir/Tavrin Helper"
mkdir -p "$stage"
cp "$helper_exe" "$stage/TavrinHelper.exe"
cp "$product_exe" "$stage/Tavrin.exe"
record="$stage/Tavrin-commandline.txt"
# The staged folder as the helper sees it through Wine's drive Z:.
backslash='\'
stage_windows="Z:${stage//\//$backslash}"

helper_pids=()
cleanup_hooks=()
cleanup() {
  local status=$?
  for hook in "${cleanup_hooks[@]}"; do "$hook" || true; done
  for pid in "${helper_pids[@]}"; do
    kill -TERM "$pid" 2>/dev/null || true
  done
  sleep 0.5
  for pid in "${helper_pids[@]}"; do
    kill -KILL "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
  done
  rm -rf "$workdir"
  exit $status
}
trap cleanup EXIT
trap 'echo "FAIL: interrupted or out of time" >&2; exit 130' INT TERM
# Ends the test well before CTest's own limit, so that the cleanup still stops the helper.
( sleep 200; kill -TERM $$ ) </dev/null >/dev/null 2>&1 &
watchdog_pid=$!
stop_watchdog() { pkill -P "$watchdog_pid" 2>/dev/null; kill "$watchdog_pid" 2>/dev/null; }
cleanup_hooks+=(stop_watchdog)

# Documents of the prefix's user, where the helper keeps its log.
log_file() {
  local docs
  for docs in "$WINEPREFIX"/drive_c/users/*/Documents; do
    case "$docs" in */users/Public/*) continue ;; esac
    echo "$docs/Kestro MP3/logs/TavrinHelperLog.txt"
    return
  done
  fail "no user folder in $WINEPREFIX"
}

log_size() {
  local file
  file=$(log_file)
  if [[ -f "$file" ]]; then stat -c %s "$file"; else echo 0; fi
}

# The messages logged since the byte offset given, one per line, stamps and CR removed;
# a line without its stamp or its CR LF fails the test.
log_messages_since() {
  local file stamped='^[0-9]{4}-(Jan|Feb|Mar|Apr|May|Jun|Jul|Aug|Sep|Oct|Nov|Dec)-[0-9]{2} [0-9]{2}:[0-9]{2}:[0-9]{2}: (.*)$'
  file=$(log_file)
  tail -c +"$(($1 + 1))" "$file" | while IFS= read -r line; do
    [[ "$line" == *$'\r' ]] || fail "log line without CR LF: $line"
    line=${line%$'\r'}
    [[ "$line" =~ $stamped ]] ||
      fail "log line without its time stamp: $line"
    printf '%s\n' "${BASH_REMATCH[2]}"
  done
}

require_port_free() {
  if curl -s -o /dev/null --max-time 3 "http://127.0.0.1:$port/" ||
     curl -s -o /dev/null --max-time 3 "http://[::1]:$port/"; then
    fail "port $port is already in use; stop whatever holds it (another TavrinHelper.exe?) and run again"
  fi
}

# Starts the staged helper in the background and waits until it answers.
start_helper() {
  "$repo_root/scripts/wine-run.sh" "$stage/TavrinHelper.exe" </dev/null >/dev/null 2>&1 &
  helper_pids+=($!)
  local deadline=$((SECONDS + 90))
  until curl -s -o /dev/null --max-time 5 "$base_url/ping"; do
    kill -0 "${helper_pids[-1]}" 2>/dev/null || fail "TavrinHelper.exe ended before it served port $port"
    ((SECONDS < deadline)) || fail "TavrinHelper.exe did not answer on port $port within 90 s"
    sleep 0.5
  done
}
