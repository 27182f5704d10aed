#!/usr/bin/env bash
# Runs the libFuzzer targets of the fuzz preset, each for a fixed time.
#
#   fuzz/run.sh [SECONDS] [TARGET...]
#
# SECONDS defaults to $FUZZ_SECONDS or 60; without TARGETs every target in
# build/fuzz runs, one after the other. Each run starts from the committed
# seed corpus and writes what it finds into build/fuzz/findings/<target>/:
# new/ (inputs that reached new code), crashes/ (inputs that broke the target)
# and log. The committed corpus is only read. The run ends with one line per
# target (executions, coverage, features, corpus) and fails when any target
# found a crash, a leak, a time-out or a broken invariant. FUZZ_TIMEOUT sets
# the seconds after which one input counts as a hang (default 10).
set -uo pipefail

here=$(cd "$(dirname "$0")" && pwd)
root=$(dirname "$here")
seconds=${1:-${FUZZ_SECONDS:-60}}
shift $(( $# > 0 ? 1 : 0 ))
bin=${FUZZ_BUILD:-$root/build/fuzz/fuzz}
# Seconds one input may take before it counts as a hang. Raise it on a machine
# whose other work starves the fuzzer (the default runs at full priority).
timeout=${FUZZ_TIMEOUT:-10}
findings=${FUZZ_FINDINGS:-$root/build/fuzz/findings}

if [ $# -gt 0 ]; then
  targets=("$@")
else
  targets=()
  for exe in "$bin"/fuzz_*; do
    [ -x "$exe" ] && targets+=("${exe##*/fuzz_}")
  done
fi
if [ ${#targets[@]} -eq 0 ]; then
  echo "fuzz: no targets in $bin (build the fuzz preset first)" >&2
  exit 2
fi

failed=()
summary=()
for name in "${targets[@]}"; do
  exe=$bin/fuzz_$name
  out=$findings/$name
  mkdir -p "$out/new" "$out/crashes"
  args=(-max_total_time="$seconds" -timeout="$timeout" -rss_limit_mb=2048 -print_final_stats=1
        -artifact_prefix="$out/crashes/")
  [ -f "$here/dict/$name.dict" ] && args+=(-dict="$here/dict/$name.dict")
  echo "fuzz: $name for ${seconds}s"
  "$exe" "${args[@]}" "$out/new" "$here/corpus/$name" > "$out/log" 2>&1
  status=$?
  # The last status line of libFuzzer: "#N ... cov: C ft: F corp: K/S ...".
  last=$(grep -E '^#[0-9]+' "$out/log" | tail -n 1)
  runs=$(grep -E '^stat::number_of_executed_units' "$out/log" | awk '{print $2}')
  cov=$(sed -n 's/.* cov: \([0-9]*\).*/\1/p' <<<"$last")
  ft=$(sed -n 's/.* ft: \([0-9]*\).*/\1/p' <<<"$last")
  corp=$(sed -n 's/.* corp: \([^ ]*\).*/\1/p' <<<"$last")
  summary+=("$(printf '%-16s runs %-10s cov %-6s ft %-7s corp %-12s exit %s' \
    "$name" "${runs:-?}" "${cov:-?}" "${ft:-?}" "${corp:-?}" "$status")")
  if [ $status -ne 0 ]; then
    failed+=("$name")
    tail -n 40 "$out/log" >&2
  fi
done

printf '%s\n' "${summary[@]}"
if [ ${#failed[@]} -gt 0 ]; then
  echo "fuzz: findings in ${failed[*]} (inputs in $findings/<target>/crashes)" >&2
  exit 1
fi
