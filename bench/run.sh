#!/usr/bin/env bash
# Benchmarks TavrinHelper.exe against a bare asynchronous Beast server under Wine, side by side:
# wrk loads "ping" with the maker's Origin, a fresh connection per request, at 1, 32 and 128
# connections, in alternating slices so that both see the same machine load. Then the latency
# of "device" and the helper's peak memory.
#
#   bash bench/run.sh                 # BUILD_DIR (default build), ROUNDS (10), SLICE (2 s),
#                                     # SERVER_CPU (1), LOAD_CPUS (2 to the last core)
#
# Under Wine each connection costs some twenty round trips to the Wine server, and a round trip
# that crosses cores costs several times one that stays on a core; left to the scheduler, where
# the processes land swings one run's figures by 20 % against the next. So both servers and the
# Wine server share one core (SERVER_CPU) and wrk runs on the others (LOAD_CPUS); short slices,
# alternating which server goes first, keep the remaining drift out of the comparison.
#
# Exits 1 when the helper misses a target: 0.9x the bare server's replies/s at every
# concurrency, no socket errors, no non-2xx replies, p99 under 10 ms at 1 connection.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$root/build}
rounds=${ROUNDS:-10}
slice=${SLICE:-2}
helper_port=4618
bare_port=${BARE_PORT:-4700}
origin="https://www.kestro.com"
server_cpu=${SERVER_CPU:-1}
load_cpus=${LOAD_CPUS:-2-$(($(nproc) - 1))}
export WINEPREFIX=$build/wineprefix

command -v wrk >/dev/null || { echo "bench: wrk is missing (apt-get install wrk)" >&2; exit 2; }

# Only what is measured is built, so unrelated work in progress elsewhere cannot stop a run.
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-i686.cmake" >/dev/null
cmake --build "$build" --target TavrinHelper test_product bench_bare_server >/dev/null
helper_exe=$build/helper/TavrinHelper.exe
bare_exe=$build/bench/bench_bare_server.exe
[[ -f $build/helper/Tavrin.exe ]] || { echo "bench: no Tavrin.exe beside the helper" >&2; exit 2; }
bash "$root/scripts/wine-prefix.sh" "$WINEPREFIX"
# The prefix's Wine server (and the device services it started) go to the servers' core.
for pid in $(pgrep -f "wineserver|winedevice.exe"); do
  if tr '\0' '\n' <"/proc/$pid/environ" 2>/dev/null | grep -qx "WINEPREFIX=$WINEPREFIX"; then
    taskset -a -p -c "$server_cpu" "$pid" >/dev/null
  fi
done

if curl -s -o /dev/null "http://localhost:$helper_port/" || curl -s -o /dev/null "http://localhost:$bare_port/"; then
  echo "bench: port $helper_port or $bare_port is already served; stop that server first" >&2
  exit 2
fi

pids=()
work=$(mktemp -d)
cleanup() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  rm -rf "$work"
}
trap cleanup EXIT
taskset -c "$server_cpu" "$root/scripts/wine-run.sh" "$helper_exe" </dev/null >/dev/null 2>&1 &
helper_pid=$!; pids+=("$helper_pid")
taskset -c "$server_cpu" "$root/scripts/wine-run.sh" "$bare_exe" "$bare_port" </dev/null >/dev/null 2>&1 &
bare_pid=$!; pids+=("$bare_pid")

wait_alive() {
  local port=$1
  for _ in $(seq 100); do
    if [[ $(curl -s -H "Origin: $origin" "http://localhost:$port/ping" || true) == alive ]]; then return 0; fi
    sleep 0.2
  done
  echo "bench: nothing answers \"alive\" on port $port" >&2
  exit 2
}
wait_alive "$helper_port"
wait_alive "$bare_port"

# One wrk run; prints its RESULT line.
load() {
  local port=$1 path=$2 connections=$3 seconds=$4
  local threads=$((connections < 4 ? connections : 4))
  taskset -c "$load_cpus" wrk -t"$threads" -c"$connections" -d"${seconds}s" --timeout 30s -s "$root/bench/wrk_report.lua" \
    -H "Origin: $origin" -H 'Connection: close' "http://localhost:$port/$path" | grep '^RESULT'
}

# Sums the slices of one server: replies/s, errors, non-2xx, median and worst p99 (ms).
summarise() {
  local slices p99s
  slices=$(cat)
  p99s=$(sed -n 's/.* p99_us=\([0-9]*\).*/\1/p' <<<"$slices" | sort -n)
  awk -v median="$(awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }' <<<"$p99s")" \
      -v worst="$(tail -n 1 <<<"$p99s")" '{
      for (i = 2; i <= NF; i++) { split($i, kv, "="); v[kv[1]] = kv[2] }
      requests += v["requests"]; us += v["duration_us"]
      errors += v["connect"] + v["read"] + v["write"] + v["timeout"]; status += v["status"]
    }
    END {
      printf "%.0f %d %d %.2f %.2f\n", requests / (us / 1e6), errors, status, median / 1000, worst / 1000
    }' <<<"$slices"
}

failed=0
printf '%-12s %-8s %12s %8s %8s %13s %12s\n' connections server "replies/s" errors non2xx "p99 median ms" "p99 worst ms"
for connections in 1 32 128; do
  : >"$work/helper" ; : >"$work/bare"
  for round in $(seq "$rounds"); do
    if ((round % 2)); then
      load "$bare_port" ping "$connections" "$slice" >>"$work/bare"
      load "$helper_port" ping "$connections" "$slice" >>"$work/helper"
    else
      load "$helper_port" ping "$connections" "$slice" >>"$work/helper"
      load "$bare_port" ping "$connections" "$slice" >>"$work/bare"
    fi
  done
  read -r bare_rate bare_errors bare_status bare_p99 bare_worst < <(summarise <"$work/bare")
  read -r rate errors status p99 worst < <(summarise <"$work/helper")
  printf '%-12s %-8s %12s %8s %8s %13s %12s\n' "$connections" bare "$bare_rate" "$bare_errors" "$bare_status" "$bare_p99" "$bare_worst"
  printf '%-12s %-8s %12s %8s %8s %13s %12s\n' "$connections" helper "$rate" "$errors" "$status" "$p99" "$worst"
  # Each round's two slices ran back to back; the median of their ratios ignores the rounds
  # that a burst of other work on the machine hit.
  ratio=$(paste -d' ' "$work/helper" "$work/bare" | awk '{
      for (i = 2; i <= NF; i++) { split($i, kv, "="); if (kv[1] == "requests") r[++n] = kv[2]; if (kv[1] == "duration_us") d[++m] = kv[2] }
      print (r[1] / d[1]) / (r[2] / d[2]); n = 0; m = 0
    }' | sort -n | awk '{ v[NR] = $1 } END { printf "%.2f", (v[int((NR + 1) / 2)] + v[int(NR / 2) + 1]) / 2 }')
  verdict=ok
  if awk -v r="$ratio" 'BEGIN { exit !(r < 0.9) }'; then verdict="TOO SLOW"; failed=1; fi
  if ((errors > 0 || status > 0)); then verdict="ERRORS"; failed=1; fi
  if ((connections == 1)) && awk -v p="$p99" 'BEGIN { exit !(p >= 10) }'; then verdict="P99 TOO HIGH"; failed=1; fi
  echo "  helper/bare, median of the rounds = $ratio: $verdict"
done

echo
echo "device (1 connection, ${slice}s x $rounds):"
: >"$work/device"
for _ in $(seq "$rounds"); do load "$helper_port" device 1 "$slice" >>"$work/device"; done
awk '{ for (i = 2; i <= NF; i++) { split($i, kv, "="); v[kv[1]] = kv[2] }
       requests += v["requests"]; us += v["duration_us"]; mean += v["mean_us"] * v["requests"]
       if (v["p99_us"] > p99) p99 = v["p99_us"]; if (v["max_us"] > max) max = v["max_us"] }
     END { printf "  %.0f replies/s, mean %.2f ms, worst p99 %.2f ms, max %.2f ms\n",
           requests / (us / 1e6), mean / requests / 1000, p99 / 1000, max / 1000 }' "$work/device"

echo
echo "peak memory (VmHWM): helper $(awk '/VmHWM/ { print $2, $3 }' "/proc/$helper_pid/status"), bare $(awk '/VmHWM/ { print $2, $3 }' "/proc/$bare_pid/status")"
exit "$failed"
