#!/usr/bin/env bash
# Headless Chromium loads one page from the maker's origin and one from another site; both
# fetch "ping", "device", a pre-flighted "ping" and a "launch" from the helper on
# localhost:4618. Only the maker's page may read them or start the product.
# Usage: e2e_chromium.sh HELPER_EXE PRODUCT_EXE MAKER_DOMAIN (WINEPREFIX set).
source "$(dirname "$0")/e2e_common.sh"

maker_host="www.$maker_domain"
other_host="www.evil.example"

site="$workdir/site"
mkdir -p "$site"
cat >"$site/probe.html" <<'HTML'
<!doctype html>
<html><head><title>pending</title></head>
<body><pre id="result">pending</pre>
<script>
async function read(operation, init) {
  try {
    const reply = await fetch("http://localhost:4618/" + operation, {cache: "no-store", ...init});
    return reply.status + " " + await reply.text();
  } catch (error) {
    return "unreadable " + error.name;
  }
}
(async () => {
  const results = [
    "ping=" + await read("ping"),
    "device=" + await read("device"),
    // A header outside the simple ones makes the browser send a pre-flight first.
    "preflighted=" + await read("ping", {headers: {"X-Requested-With": "probe"}}),
    "launch=" + await read("launch?url=https://www.MAKER_DOMAIN/from-browser?a=1"),
  ];
  document.getElementById("result").textContent = results.join("|") + "|end";
  document.title = "done";
})();
</script></body></html>
HTML
sed -i "s/MAKER_DOMAIN/$maker_domain/" "$site/probe.html"

site_port=$(python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
python3 -m http.server "$site_port" --bind 127.0.0.1 --directory "$site" >"$workdir/site.log" 2>&1 &
site_pid=$!
stop_site() { kill "$site_pid" 2>/dev/null; wait "$site_pid" 2>/dev/null; }
cleanup_hooks+=(stop_site)
for ((i = 0; i < 100; i++)); do
  curl -s -o /dev/null --max-time 2 "http://127.0.0.1:$site_port/probe.html" && break
  sleep 0.1
done

require_port_free
start_helper
device_id=$(curl -s --max-time 30 -H "Origin: https://$maker_host" "$base_url/device")
[[ "$device_id" =~ ^KSTR01[0-9a-f]{40}$ ]] || fail "device identifier: '$device_id'"

# The page's result as Chromium rendered it, read once its script has written it.
run=0
page_result() {
  local host=$1 dom status=0
  run=$((run + 1))
  dom=$(timeout -k 10 60 chromium --headless --no-sandbox --disable-gpu --no-first-run \
    --disable-background-networking --disable-component-update --disable-sync --disable-quic \
    --user-data-dir="$workdir/profile-$run" \
    --host-resolver-rules="MAP $maker_host 127.0.0.1, MAP $other_host 127.0.0.1" \
    --virtual-time-budget=30000 --dump-dom "http://$host:$site_port/probe.html" 2>"$workdir/chromium-$run.log") || status=$?
  if ((status != 0)); then
    cat "$workdir/chromium-$run.log" >&2
    fail "chromium on $host ended with $status"
  fi
  [[ "$dom" =~ \<pre\ id=\"result\"\>([^<]*)\</pre\> ]] || { echo "$dom" >&2; fail "no result on the page from $host"; }
  printf '%s' "${BASH_REMATCH[1]}"
}

maker_result=$(page_result "$maker_host")
[[ "$maker_result" == "ping=200 alive|device=200 $device_id|preflighted=200 alive|launch=200 launched|end" ]] ||
  fail "maker's page read: '$maker_result'"
echo "ok: the page from http://$maker_host:$site_port read: $maker_result"
launched_url="https://www.$maker_domain/from-browser?a=1"
for ((i = 0; i < 300; i++)); do [[ -f "$record" ]] && break; sleep 0.1; done
[[ "$(cat "$record" 2>/dev/null)" == "$stage_windows\\Tavrin.exe \"$launched_url\"" ]] ||
  fail "the maker's page did not start the product with its URL: '$(cat "$record" 2>/dev/null)'"
echo "ok: the maker's page started the product"
rm -f "$record"

other_result=$(page_result "$other_host")
[[ "$other_result" == "ping=403 Invalid request|device=403 Invalid request|preflighted=unreadable TypeError|launch=403 Invalid request|end" ]] ||
  fail "other site's page read: '$other_result'"
echo "ok: the page from http://$other_host:$site_port read only: $other_result"
sleep 1
[[ ! -f "$record" ]] || fail "the other site's page started the product"
grep -q "GET /probe.html" "$workdir/site.log" || fail "the pages were not loaded from the local site"
echo "PASS"
