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

source "$(dirname "$0")/year-program.sh"

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
