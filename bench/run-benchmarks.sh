#!/usr/bin/env bash
# Runs every benchmark of the `bench` preset and prints the figures of
# docs/performance.md: wall-clock and CPU times side by side with the peers,
# instruction counts under callgrind (repeatable on a loaded machine) and
# start-up times with hyperfine.
#   bench/run-benchmarks.sh [build-dir]        (default build/bench)
# REPS (default 5) sets the repetitions of each Google Benchmark run; the
# median is reported.
set -euo pipefail

build=${1:-build/bench}
bin=$(cd "$build/bin" && pwd)
reps=${REPS:-5}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

section() { printf '\n== %s\n' "$1"; }

# Instructions of a whole program run under callgrind.
instructions() {
  valgrind --tool=callgrind --callgrind-out-file="$work/cg.run" "$@" >/dev/null 2>"$work/cg.run.log" || true
  sed -n 's/.*Collected : \([0-9]*\).*/\1/p' "$work/cg.run.log"
}

# Google Benchmark medians as CSV: name,iterations,real_time,cpu_time,time_unit,...
# appended to $work/<program>.csv. The CSV form needs the same counters in
# every row of one run, so callers run groups with different counters apart.
run_gbench() {
  local program=$1
  shift
  "$bin/$program" --benchmark_repetitions="$reps" --benchmark_report_aggregates_only=true \
    --benchmark_format=csv "$@" 2>/dev/null | grep '_median"' | tr -d '"' >"$work/rows.csv"
  awk -F, '{ printf "  %-34s real %10.3f %s   cpu %10.3f %s\n", $1, $3, $5, $4, $5 }' "$work/rows.csv"
  cat "$work/rows.csv" >>"$work/$program.csv"
}

# ratio FILE A B COLUMN: time of A / time of B (column 3 real, 4 cpu).
ratio() {
  awk -F, -v a="$2_median" -v b="$3_median" -v col="$4" \
    '$1 == a { x = $col } $1 == b { y = $col } END { if (x && y) printf "%.2f", x / y; else printf "n/a" }' "$1"
}

echo "machine: $(nproc) cores, $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | sed 's/^ //')"
echo "load:    $(cut -d' ' -f1-3 /proc/loadavg)"

section "XML parse and write, 10 MB state-machine-like document (median of $reps)"
# Each benchmark in a process of its own: glibc adapts its mmap and trim
# thresholds to the blocks a process has freed, so a peer measured after
# another parser would inherit that parser's thresholds (and page faults).
for name in MemchrFloor Pug PugDecodeOnly PugParseOnly Tinyxml2 Libxml2; do
  run_gbench quarn_bench_xml --benchmark_filter="^BM_Parse_$name\$"
done
for name in Pug Tinyxml2 Libxml2; do
  run_gbench quarn_bench_xml --benchmark_filter="^BM_Write_$name\$"
done
x=$work/quarn_bench_xml.csv
echo "  parse cpu ratios: pug/tinyxml2 $(ratio "$x" BM_Parse_Pug BM_Parse_Tinyxml2 4)," \
  "pug/libxml2 $(ratio "$x" BM_Parse_Pug BM_Parse_Libxml2 4)," \
  "pug/memchr $(ratio "$x" BM_Parse_Pug BM_Parse_MemchrFloor 4)"
echo "  write cpu ratios: pug/tinyxml2 $(ratio "$x" BM_Write_Pug BM_Write_Tinyxml2 4)," \
  "pug/libxml2 $(ratio "$x" BM_Write_Pug BM_Write_Libxml2 4)"

if command -v valgrind >/dev/null; then
  section "XML parse, instructions under callgrind (one parse, decoding included for pug)"
  for which in memchr pug pug-decode pug-parse tinyxml2 libxml2; do
    (cd "$work" && valgrind --tool=callgrind --instr-atstart=no --callgrind-out-file="$work/cg.$which" \
      "$bin/quarn_parse_once" "$which" >/dev/null 2>"$work/cg.$which.log")
    count=$(sed -n 's/.*Collected : \([0-9]*\).*/\1/p' "$work/cg.$which.log")
    echo "$which $count" >>"$work/counts"
    printf '  %-12s %14s instructions\n' "$which" "$count"
  done
  awk '{ n[$1] = $2 } END {
    printf "  ratios: pug/tinyxml2 %.2f, pug/libxml2 %.2f, pug/memchr %.1f\n",
      n["pug"] / n["tinyxml2"], n["pug"] / n["libxml2"], n["pug"] / n["memchr"] }' "$work/counts"
fi

# Whole programs on the benchmark document written to files: quarnctl reads
# one as the editor would (ReadStateMachineFile) and prints it as JSON;
# xmllint --noout only parses it. Wall-clock with hyperfine, instructions
# under callgrind and peak resident memory against the file's size.
if [ -x "$bin/quarnctl" ] && command -v xmllint >/dev/null; then
  "$bin/quarn_parse_once" write "$work/sm10.xml" 10
  "$bin/quarn_parse_once" write "$work/sm100.xml" 100
  if command -v hyperfine >/dev/null; then
    section "Whole programs, 10 MB document: quarnctl show --json against xmllint --noout"
    hyperfine -N --style basic --warmup 2 --runs 10 --export-csv "$work/show.csv" \
      --export-markdown "$work/show.md" \
      "$bin/quarnctl show --json $work/sm10.xml" "xmllint --noout $work/sm10.xml" >/dev/null
    cat "$work/show.md"
    ours=$(awk -F, 'NR == 2 { print $2 }' "$work/show.csv")
    peer=$(awk -F, 'NR == 3 { print $2 }' "$work/show.csv")
    # The in-process read's wall-clock median (BM_Parse_Pug, milliseconds).
    inproc=$(awk -F, '$1 == "BM_Parse_Pug_median" { print $3 / 1000 }' "$x")
    echo "  ratios: quarnctl/xmllint $(awk -v a="$ours" -v b="$peer" 'BEGIN { printf "%.2f", a / b }')," \
      "quarnctl/in-process read (BM_Parse_Pug real) $(awk -v a="$ours" -v b="$inproc" 'BEGIN { printf "%.2f", a / b }')"
  fi
  if command -v valgrind >/dev/null; then
    ours=$(instructions "$bin/quarnctl" show --json "$work/sm10.xml")
    peer=$(instructions xmllint --noout "$work/sm10.xml")
    echo "  instructions: quarnctl show --json $ours, xmllint --noout $peer," \
      "ratio $(awk -v a="$ours" -v b="$peer" 'BEGIN { printf "%.3f", a / b }')"
  fi
  if [ -x /usr/bin/time ]; then
    section "Peak resident memory and page faults of the whole programs, against the file's size"
    for file in sm10 sm100; do
      size=$(stat -c %s "$work/$file.xml")
      for program in "$bin/quarnctl show --json" "xmllint --noout"; do
        # shellcheck disable=SC2086
        read -r kib faults < <(/usr/bin/time -f '%M %R' $program "$work/$file.xml" 2>&1 >/dev/null | tail -1)
        printf '  %-10s %-22s %8.1f MiB peak, %5.2f times the file (%.1f MiB), %7d page faults\n' "$file" \
          "$(basename "${program%% *}") ${program#* }" "$(awk -v k="$kib" 'BEGIN { print k / 1024 }')" \
          "$(awk -v k="$kib" -v s="$size" 'BEGIN { print k * 1024 / s }')" "$(awk -v s="$size" 'BEGIN { print s / 1048576 }')" \
          "$faults"
      done
    done
  fi
fi

section "State-machine reader and writer, worked example (median of $reps)"
run_gbench quarn_bench_document

if [ -x "$bin/quarn_bench_device" ]; then
  section "Upload and relay switch to quarnsim on loopback (median of $reps)"
  run_gbench quarn_bench_device
  d=$work/quarn_bench_device.csv
  echo "  real-time ratios: upload/raw $(ratio "$d" BM_Upload_DeviceLink/real_time BM_Upload_RawSocket/real_time 3)," \
    "switch/raw $(ratio "$d" BM_Switch_DeviceLink/real_time BM_Switch_RawSocket/real_time 3)"
fi

if [ -x "$bin/quarn_bench_simulator" ]; then
  section "quarnsim: judging an upload and scanning its request, 1.2 kB and 1 MB (median of $reps)"
  run_gbench quarn_bench_simulator
fi

if [ -x "$bin/quarn_bench_converter" ]; then
  section "Converter, 1,000-state XMI (median of $reps)"
  run_gbench quarn_bench_converter
  c=$work/quarn_bench_converter.csv
  echo "  real-time ratio: transform/xsltproc $(ratio "$c" BM_Convert_Transform/real_time BM_Convert_Xsltproc/real_time 3)"
fi

if command -v hyperfine >/dev/null; then
  export QT_QPA_PLATFORM=offscreen XDG_CONFIG_HOME=$work/config XDG_RUNTIME_DIR=$work/runtime
  mkdir -p "$XDG_CONFIG_HOME" && mkdir -m 700 -p "$XDG_RUNTIME_DIR"
  # startup NAME PROGRAM: the window against a bare one and a bare one with a label.
  startup() {
    [ -x "$bin/$2" ] || return 0
    section "Start-up to first paint, offscreen: $1 against a bare QWidget"
    hyperfine -N --style basic --warmup 3 --runs 40 --export-markdown "$work/$2.md" \
      "$bin/quarn_start_bare" "$bin/quarn_start_bare --text" "$bin/$2" >/dev/null
    cat "$work/$2.md"
    if command -v valgrind >/dev/null; then
      bare=${bare:-$(instructions "$bin/quarn_start_bare")}
      text=${text:-$(instructions "$bin/quarn_start_bare" --text)}
      local ours
      ours=$(instructions "$bin/$2")
      echo "  instructions: bare $bare, bare with text $text, $1 $ours, ratios" \
        "$(awk -v a="$ours" -v b="$bare" -v t="$text" 'BEGIN { printf "%.3f (/bare), %.3f (/bare with text)", a / b, a / t }')"
    fi
  }
  startup editor quarn_start_editor
  startup "converter window" quarn_start_converter
  if [ -x "$bin/quarnctl" ] && command -v xsltproc >/dev/null; then
    # The XMI written by the converter benchmark above.
    section "Conversion as a command: quarnctl convert against xsltproc, 1,000-state XMI"
    xmi=${TMPDIR:-/tmp}/quarn-bench-converter/plant.xmi
    if [ -f "$xmi" ]; then
      hyperfine -N --style basic --warmup 2 --runs 20 --export-markdown "$work/convert.md" \
        "$bin/quarnctl convert $xmi $work/ours.xml" \
        "xsltproc --nonet -o $work/peer.xml $bin/morvex.xsl $xmi" >/dev/null
      cat "$work/convert.md"
      if command -v valgrind >/dev/null; then
        ours=$(instructions "$bin/quarnctl" convert "$xmi" "$work/ours.xml")
        peer=$(instructions xsltproc --nonet -o "$work/peer.xml" "$bin/morvex.xsl" "$xmi")
        echo "  instructions: quarnctl convert $ours, xsltproc $peer," \
          "ratio $(awk -v a="$ours" -v b="$peer" 'BEGIN { printf "%.3f", a / b }')"
      fi
    fi
  fi
fi

if [ -x "$bin/quarnctl" ] && [ -x "$bin/quarnsim" ]; then
  section "quarnctl deploy to 200 controllers of which 20 never answer"
  bash "$(dirname "$0")/deploy_bench.sh" "$bin"
fi

if command -v hyperfine >/dev/null && [ -x "$bin/quarnctl" ]; then
  section "quarnctl simulate, a year of 8 timers and relays with 1,000 input changes, against quarnctl show --json"
  bash "$(dirname "$0")/simulate-vs-show.sh" "$bin"
fi

if [ -x "$bin/quarnctl" ]; then
  section "quarnctl check, every input free, against simulate with 1,000 input changes: a year and a hundred years"
  bash "$(dirname "$0")/check-vs-simulate.sh" "$bin"
fi
