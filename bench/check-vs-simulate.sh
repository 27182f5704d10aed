#!/usr/bin/env bash
# quarnctl check against quarnctl simulate, whole processes on one file: the
# program of simulate-vs-show.sh (all eight timers and relays, all four inputs
# read), checked with every input free, against simulating it with 1,000 input
# changes; a year (--days 365) and a hundred years (--days 36600). Prints wall
# time and peak memory of each (hyperfine when it is installed, otherwise the
# median of RUNS runs under /usr/bin/time) and the ratios.
#   bench/check-vs-simulate.sh BIN-DIR [RUNS]
set -euo pipefail

bin=$(cd "$1" && pwd)
runs=${2:-11}
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

# 1,000 input changes spread over the year: S0-S3 in turn, each switching on
# and off.
start=$(date -u -d 2026-12-14T00:00:00 +%s)
inputs=()
for i in $(seq 0 999); do
  at=$(date -u -d "@$((start + i * 31536 + 1234))" +%Y-%m-%dT%H:%M:%S)
  inputs+=("--input" "S$((i % 4))=$(((i / 4 + 1) % 2))@$at")
done

properties=(--never "#R1&&#R5" --always "#R0||!#T3" --never "#R7&&!#T4&&!#S0")

# The median wall milliseconds (from bash's clock, /usr/bin/time has only
# hundredths) and the median peak resident KB of RUNS runs.
measure() {
  : >"$work/times"
  for _ in $(seq "$runs"); do
    local t0=$EPOCHREALTIME
    /usr/bin/time -f "%M" -o "$work/one" "$@" >/dev/null || true
    local t1=$EPOCHREALTIME
    echo "$(awk -v a="$t0" -v b="$t1" 'BEGIN { printf "%.1f", (b - a) * 1000 }') $(tail -n 1 "$work/one")" >>"$work/times"
  done
  local middle=$(((runs + 1) / 2))
  echo "$(sort -n -k1 "$work/times" | sed -n "${middle}p" | cut -d' ' -f1)" \
    "$(sort -n -k2 "$work/times" | sed -n "${middle}p" | cut -d' ' -f2)"
}

for days in 365 36600; do
  check=("$bin/quarnctl" check "$work/year.xml" --from 2026-12-14 --days "$days" "${properties[@]}")
  simulate=("$bin/quarnctl" simulate "$work/year.xml" --from 2026-12-14 --days "$days" --format json "${inputs[@]}")
  echo "  --days $days: check prints $("${check[@]}" | wc -l) lines; simulate $("${simulate[@]}" | wc -c) bytes"
  if command -v hyperfine >/dev/null; then
    hyperfine -N --style basic --warmup 2 --runs "$runs" --export-markdown "$work/table.md" \
      -n "check --days $days" "$(printf '%q ' "${check[@]}")" \
      -n "simulate --days $days, 1,000 inputs, json" "$(printf '%q ' "${simulate[@]}")" >"$work/hyperfine.log"
    cat "$work/table.md"
  fi
  read -r ct cm < <(measure "${check[@]}")
  read -r st sm < <(measure "${simulate[@]}")
  printf '  %-40s %8s ms  %8s KB peak\n' "check --days $days" "$ct" "$cm" "simulate --days $days, 1,000 inputs" "$st" "$sm"
  echo "  check / simulate (median wall): $(awk -v a="$ct" -v b="$st" 'BEGIN { printf "%.2f", a / b }')"
done
