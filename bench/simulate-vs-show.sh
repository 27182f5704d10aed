#!/usr/bin/env bash
# quarnctl simulate against quarnctl show, whole processes on one file: a
# program with all eight timers and relays, simulated for a year with an
# input schedule of 1,000 changes, against reading and printing the same
# file. Prints hyperfine's table and, under callgrind, the instruction counts.
#   bench/simulate-vs-show.sh BIN-DIR [RUNS]
set -euo pipefail

bin=$(cd "$1" && pwd)
runs=${2:-30}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

cat >"$work/year.json" <<'JSON'
{"version": "year",
 "timers": [
  {"onTime": "07:30:00", "offTime": "22:00:00", "weekdays": 31},
  {"onTime": "22:00:00", "offTime": "06:00:00", "weekdays": 127},
  {"onDate": "2026/12/20", "onTime": "08:00:00", "offDate": "2027/06/30", "offTime": "20:00:00", "weekdays": 96},
  {"onTime": "06:00:00", "offTime": "07:00:00", "weekdays": 127},
  {"onTime": "12:00:00", "offTime": "13:30:00", "weekdays": 31},
  {"onTime": "18:00:00", "offTime": "23:59:59", "weekdays": 96},
  {"offTime": "18:00:00", "weekdays": 85},
  {"onTime": "09:15:00", "offTime": "09:45:00", "weekdays": 127}],
 "relays": ["(#T0&&#S0)||#T3", "(#T1)||#R0", "(#T2&&#T4)||#S1", "(#T0&&#T1)||#R2",
            "(#S2&&#T5)||#T6", "(#R1&&#R2)||#S3", "(#T7)||#R5", "(#R3&&#R6&&#S0)||#T4"]}
JSON
"$bin/quarnctl" write "$work/year.json" "$work/year.xml"

# 1,000 input changes spread over the year: S0-S3 in turn, each switching
# on and off.
start=$(date -u -d 2026-12-14T00:00:00 +%s)
inputs=()
for i in $(seq 0 999); do
  at=$(date -u -d "@$((start + i * 31536 + 1234))" +%Y-%m-%dT%H:%M:%S)
  inputs+=("--input" "S$((i % 4))=$(((i / 4 + 1) % 2))@$at")
done

simulate=("$bin/quarnctl" simulate "$work/year.xml" --from 2026-12-14 --days 365 --format json "${inputs[@]}")
show=("$bin/quarnctl" show --json "$work/year.xml")
echo "  changes in the year: $("${simulate[@]}" | grep -c '"at"')," \
  "output $("${simulate[@]}" | wc -c) bytes against $("${show[@]}" | wc -c)"

printf '%s\n' "${simulate[@]}" >"$work/simulate.args"
hyperfine -N --style basic --warmup 3 --runs "$runs" --export-markdown "$work/table.md" \
  -n "simulate --days 365, 1,000 inputs" "$(printf '%q ' "${simulate[@]}")" \
  -n "show --json" "$(printf '%q ' "${show[@]}")" >"$work/hyperfine.log"
cat "$work/table.md"

if command -v valgrind >/dev/null; then
  count() {
    valgrind --tool=callgrind --callgrind-out-file="$work/cg.out" "$@" >/dev/null 2>"$work/cg.log" || true
    sed -n 's/.*Collected : \([0-9]*\).*/\1/p' "$work/cg.log"
  }
  sim=$(count "${simulate[@]}")
  shw=$(count "${show[@]}")
  echo "  instructions: simulate $sim, show $shw, ratio $(awk -v a="$sim" -v b="$shw" 'BEGIN { printf "%.2f", a / b }')"
fi
