-- Makes wrk end with one machine-readable line that bench/run.sh collects.
done = function(summary, latency, requests)
  local e = summary.errors
  io.write(string.format(
    "RESULT requests=%d duration_us=%d connect=%d read=%d write=%d timeout=%d status=%d " ..
    "mean_us=%.0f p50_us=%d p99_us=%d max_us=%d\n",
    summary.requests, summary.duration, e.connect, e.read, e.write, e.timeout, e.status,
    latency.mean, latency:percentile(50), latency:percentile(99), latency.max))
end
