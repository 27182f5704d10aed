#!/usr/bin/env bash
# quarnctl deploy to 200 simulated controllers on loopback, 20 of which never
# answer (quarnsim --fault silent, every tenth host), against the limit of one
# exchange. Prints the wall time of each run, the sum of the per-host
# seconds (what the same exchanges cost one after another) and both as
# multiples of the limit.
#   bench/deploy_bench.sh [bin-dir]            (default build/bench/bin)
# LIMIT (default 5) is the --time-limit of every run, below the 10 s receive
# wait so that a silent controller costs exactly the limit; PARALLEL (default
# "16 32 64") the --parallel values tried.
set -euo pipefail

bin=$(cd "${1:-build/bench/bin}" && pwd)
limit=${LIMIT:-5}
parallels=${PARALLEL:-16 32 64}
hosts=200
work=$(mktemp -d)
pids=()
cleanup() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  wait 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

for i in $(seq 0 $((hosts - 1))); do
  if [ $((i % 10)) -eq 9 ]; then
    "$bin/quarnsim" --port 0 --fault silent >"$work/port.$i" 2>/dev/null &
  else
    mkdir -p "$work/store.$i"
    "$bin/quarnsim" --port 0 --store "$work/store.$i" >"$work/port.$i" 2>/dev/null &
  fi
  pids+=($!)
done
for i in $(seq 0 $((hosts - 1))); do
  for _ in $(seq 100); do [ -s "$work/port.$i" ] && break; sleep 0.05; done
  echo "127.0.0.1:$(head -n1 "$work/port.$i")" >>"$work/hosts.txt"
done

sample=$(dirname "$0")/../tests/document/fixtures/office.xml
echo "deploy to $hosts hosts, 20 silent, --time-limit $limit (load $(cut -d' ' -f1-3 /proc/loadavg))"
for parallel in $parallels; do
  start=$(date +%s.%N)
  "$bin/quarnctl" deploy "$sample" --hosts "$work/hosts.txt" --parallel "$parallel" --time-limit "$limit" \
    --journal "$work/journal.sqlite3" \
    --json >"$work/out.json" || true
  end=$(date +%s.%N)
  python3 - "$work/out.json" "$start" "$end" "$limit" "$parallel" <<'PY'
import json, sys
rows = json.load(open(sys.argv[1]))
wall = float(sys.argv[3]) - float(sys.argv[2])
limit = float(sys.argv[4])
serial = sum(r["seconds"] for r in rows)
ok = sum(1 for r in rows if r["ok"])
print(f"  --parallel {sys.argv[5]:>3}: wall {wall:6.2f} s = {wall / limit:4.2f} x limit;"
      f" one after another {serial:7.2f} s = {serial / limit:5.1f} x limit; {ok} took it, {len(rows) - ok} failed")
PY
done
