#!/usr/bin/env bash
# The deploy journal's cost:
#  1. quarnctl deploy of the worked example to 200 simulated controllers on
#     loopback, with the journal and with --no-journal, in turns (ROUNDS
#     rounds, default 5): the median wall time of each and the difference.
#     SILENT=1 makes every tenth controller silent as in deploy_bench.sh.
#  2. quarnctl history on a journal of 100,000 deployments (to 200 hosts),
#     whole process, best and median of RUNS (default 7): the whole table,
#     one host, --json, and --limit 20.
#  3. The journal's size: how it grows per deployment and per program.
#   bench/journal_bench.sh [bin-dir]            (default build/default/bin)
set -euo pipefail

bin=$(cd "${1:-build/default/bin}" && pwd)
rounds=${ROUNDS:-5}
runs=${RUNS:-7}
silent=${SILENT:-0}
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
  if [ "$silent" = 1 ] && [ $((i % 10)) -eq 9 ]; then
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
journal=$work/journal.sqlite3
now() { date +%s.%N; }
median() { sort -g | awk '{a[NR]=$1} END {print a[int((NR+1)/2)]}'; }
best() { sort -g | head -n1; }
elapsed() { awk -v end="$(now)" -v start="$1" 'BEGIN { printf "%.4f\n", end - start }'; }

echo "1. deploy to $hosts hosts ($([ "$silent" = 1 ] && echo "20 silent, --time-limit 5" || echo "all answering")," \
  "--parallel 32), $rounds rounds (load $(cut -d' ' -f1-3 /proc/loadavg))"
: >"$work/with"
: >"$work/without"
for _ in $(seq "$rounds"); do
  for mode in without with; do
    args=(--no-journal)
    [ "$mode" = with ] && args=(--journal "$journal")
    start=$(now)
    "$bin/quarnctl" deploy "$sample" --hosts "$work/hosts.txt" --parallel 32 --time-limit 5 "${args[@]}" \
      >/dev/null || true
    elapsed "$start" >>"$work/$mode"
  done
done
w=$(median <"$work/with")
wo=$(median <"$work/without")
printf '   median without journal %.3f s, with journal %.3f s: %+.1f %%\n' "$wo" "$w" "$(awk -v w="$w" -v wo="$wo" 'BEGIN { print (w - wo) * 100 / wo }')"
printf '   runs without: %s\n' "$(tr '\n' ' ' <"$work/without")"
printf '   runs with:    %s\n' "$(tr '\n' ' ' <"$work/with")"

rows=$(/usr/bin/python3 -c "import sqlite3,sys; print(sqlite3.connect(sys.argv[1]).execute('select count(*) from deployments').fetchone()[0])" "$journal")
size=$(stat -c %s "$journal")
echo "3. after $rows deployments of one program: journal $size bytes," \
  "program $(stat -c %s "$sample") bytes once ($(/usr/bin/python3 -c "import sqlite3,sys; print(sqlite3.connect(sys.argv[1]).execute('select count(*) from programs').fetchone()[0])" "$journal") program row)"

# 100,000 rows: the recorded ones copied with other hosts and times, in one
# transaction, by SQLite itself.
/usr/bin/python3 - "$journal" <<'PY'
import sqlite3, sys
db = sqlite3.connect(sys.argv[1])
db.execute("""
WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 100000 - (SELECT count(*) FROM deployments))
INSERT INTO deployments (at, host, port, program, ok, code, outcome, seconds, login)
SELECT d.at + n.i * 1000, 'greenhouse-' || (n.i % 200), 80, d.program, d.ok, d.code, d.outcome, d.seconds, d.login
FROM n, (SELECT * FROM deployments LIMIT 1) d""")
db.commit()
db.execute("PRAGMA wal_checkpoint(TRUNCATE)")
print("2. history on", db.execute("SELECT count(*) FROM deployments").fetchone()[0], "deployments,",
      __import__("os").path.getsize(sys.argv[1]), "bytes of journal")
PY
for variant in "all" "one host" "--json" "--limit 20"; do
  case "$variant" in
    all) args=() ;;
    "one host") args=(greenhouse-7) ;;
    --json) args=(--json) ;;
    "--limit 20") args=(--limit 20) ;;
  esac
  : >"$work/times"
  for _ in $(seq "$runs"); do
    start=$(now)
    "$bin/quarnctl" history "${args[@]}" --journal "$journal" >"$work/history.out"
    elapsed "$start" >>"$work/times"
  done
  printf '   history %-10s %7d lines  best %.3f s  median %.3f s\n' "$variant" "$(wc -l <"$work/history.out")" \
    "$(best <"$work/times")" "$(median <"$work/times")"
done
