#!/usr/bin/env bash
# TavrinHelper.exe under Wine, with the test product beside it, driven by curl on port 4618.
# Usage: e2e_curl.sh HELPER_EXE PRODUCT_EXE MAKER_DOMAIN (WINEPREFIX set).
source "$(dirname "$0")/e2e_common.sh"

maker_origin="https://www.$maker_domain"
CR=$'\r'

# The whole reply as received, headers included.
reply() {
  curl -s -i --max-time 30 "$@" || fail "curl $* failed with $?"
}

expect_reply() {
  local name=$1 expected=$2
  shift 2
  local actual
  actual=$(reply "$@"; echo x)
  actual=${actual%x}
  if [[ "$actual" != "$expected" ]]; then
    echo "--- expected:"; printf '%s' "$expected" | cat -A; echo
    echo "--- received:"; printf '%s' "$actual" | cat -A; echo
    fail "$name"
  fi
  echo "ok: $name"
}

handler_reply() {  # status-line allow-origin body
  local body=$3
  printf '%s\r\nContent-Length: %d\r\nContent-Type: text/html\r\nAccess-Control-Allow-Origin: %s\r\nAccess-Control-Allow-Headers: Origin, X-Requested-With, Content-Type, Accept\r\nAccess-Control-Allow-Methods: POST, GET, OPTIONS\r\n\r\n%s' \
    "$1" "${#body}" "$2" "$body"
}

expect_log() {
  local name=$1 since=$2 expected=$3 actual
  actual=$(log_messages_since "$since") || fail "$name: malformed log"
  if [[ "$actual" != "$expected" ]]; then
    echo "--- expected log:"; echo "$expected"; echo "--- logged:"; echo "$actual"
    fail "$name"
  fi
  echo "ok: $name"
}

require_port_free
before_start=$(log_size)
start_helper

# Start-up lines, in order; "Server running" only comes when the run on the port has ended.
startup=$(log_messages_since "$before_start") || fail "malformed start-up log"
device_id=$(curl -s --max-time 30 -H "Origin: $maker_origin" "$base_url/device")
[[ "$device_id" =~ ^KSTR01[0-9a-f]{40}$ ]] || fail "device identifier: '$device_id'"
pattern="^Tavrin Helper Server starting
WL: [0-9a-f]{40}
MG: [0-9a-f]{40}
MS: [0-9a-f]{40}
H: [0-9a-f]{40}
BSN: [0-9a-f]{40}
device ID: $device_id
Attempting to run server on port 4618\$"
[[ "$startup" =~ $pattern ]] || { echo "$startup"; fail "start-up log lines"; }
echo "ok: start-up log"

expect_reply "ping, exact reply" "$(handler_reply "HTTP/1.0 200 OK" "$maker_origin" alive)" \
  -H "Origin: $maker_origin" "$base_url/ping"
expect_reply "pre-flight" "$(handler_reply "HTTP/1.0 200 OK" "$maker_origin" available)" \
  -X OPTIONS -H "Origin: $maker_origin" -H "Access-Control-Request-Method: GET" "$base_url/ping"
expect_reply "header name in lower case" "$(handler_reply "HTTP/1.0 200 OK" "http://$maker_domain:8080" alive)" \
  -H "origin: http://$maker_domain:8080" "$base_url/ping"
expect_reply "no Origin" "$(handler_reply "HTTP/1.0 403 Forbidden" "*" "Invalid request")" "$base_url/ping"
expect_reply "look-alike origin" "$(handler_reply "HTTP/1.0 403 Forbidden" "*" "Invalid request")" \
  -H "Origin: https://www.kestro.attacker.example" "$base_url/device"
expect_reply "device" "$(handler_reply "HTTP/1.0 200 OK" "$maker_origin" "$device_id")" \
  -H "Origin: $maker_origin" "$base_url/device"
expect_reply "unknown operation" "$(handler_reply "HTTP/1.0 400 Bad Request" "$maker_origin" "unknown operation")" \
  -H "Origin: $maker_origin" "$base_url/status"
expect_reply "POST without Content-Length: the stock page, no cross-origin headers" \
  "HTTP/1.0 400 Bad Request${CR}
Content-Length: 89${CR}
Content-Type: text/html${CR}
${CR}
<html><head><title>Bad Request</title></head><body><h1>400 Bad Request</h1></body></html>" \
  -X POST -H "Origin: $maker_origin" "$base_url/ping"

# A launch reaches the product with its command line exactly as promised.
url="https://www.$maker_domain/welcome?from=helper&lang=en"
rm -f "$record"
since=$(log_size)
expect_reply "launch" "$(handler_reply "HTTP/1.0 200 OK" "$maker_origin" launched)" \
  -H "Origin: $maker_origin" "$base_url/launch?url=$url"
for ((i = 0; i < 300; i++)); do [[ -f "$record" ]] && break; sleep 0.1; done
[[ -f "$record" ]] || fail "the product did not record its command line"
expected_command="$stage_windows\\Tavrin.exe \"$url\""
[[ "$(cat "$record")" == "$expected_command" ]] ||
  fail "product command line: '$(cat "$record")', expected '$expected_command'"
echo "ok: product started with: $expected_command"
expect_log "launch log lines" "$since" "Passing url: $url
openning Tavrin from: $expected_command
Passed url to Tavrin
Tavrin successfully launched"

rm -f "$record"
since=$(log_size)
expect_reply "launch URL that breaks out of its quotes" \
  "$(handler_reply "HTTP/1.0 400 Bad Request" "$maker_origin" "Unknown launch flag")" \
  -H "Origin: $maker_origin" "$base_url/launch?url=https://www.$maker_domain/%22%20--evil"
expect_reply "launch URL of another site" \
  "$(handler_reply "HTTP/1.0 400 Bad Request" "$maker_origin" "Unknown launch flag")" \
  -H "Origin: $maker_origin" "$base_url/launch?url=https://www.evil.example/.$maker_domain."
expect_reply "launch without a URL" "$(handler_reply "HTTP/1.0 500 Internal Server Error" "$maker_origin" failed)" \
  -H "Origin: $maker_origin" "$base_url/launch"
expect_log "refused launch log lines" "$since" "Unknown launch flag
Unknown launch flag
Tavrin did not launch"
[[ ! -f "$record" ]] || fail "a refused launch started the product"

# Without the product every request, a pre-flight too, says so.
mv "$stage/Tavrin.exe" "$workdir/Tavrin.exe"
since=$(log_size)
expect_reply "product missing" "$(handler_reply "HTTP/1.0 404 Not Found" "*" "Tavrin not found")" \
  -X OPTIONS -H "Origin: $maker_origin" "$base_url/ping"
expect_log "product missing log lines" "$since" "Helper can't find Tavrin
Helper can't find Tavrin"
mv "$workdir/Tavrin.exe" "$stage/Tavrin.exe"

# A second helper finds the port taken: it logs both port lines for 4618 and ends with 0.
since=$(log_size)
status=0
timeout -k 10 45 "$repo_root/scripts/wine-run.sh" "$stage/TavrinHelper.exe" </dev/null >/dev/null 2>&1 || status=$?
[[ $status == 0 ]] || fail "second helper ended with $status"
second=$(log_messages_since "$since") || fail "malformed log of the second helper"
[[ "$(tail -n 2 <<<"$second")" == "Attempting to run server on port 4618
Server running on port 4618" ]] || { echo "$second"; fail "second helper's port lines"; }
echo "ok: a second helper ends at once with 0"
expect_reply "first helper still serving" "$(handler_reply "HTTP/1.0 200 OK" "$maker_origin" alive)" \
  -H "Origin: $maker_origin" "$base_url/ping"
echo "PASS"
