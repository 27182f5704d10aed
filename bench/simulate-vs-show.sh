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

source "$(dirname "$0")/year-program.sh"

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
