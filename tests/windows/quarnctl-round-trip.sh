#!/usr/bin/env bash
# quarnctl.exe under wine, end to end:
#   quarnctl-round-trip.sh WINEPREFIX QUARNCTL.exe QUARNSIM STATE-MACHINE.xml
# 1. show --json reads the state-machine file, write makes it again from the
#    JSON: the bytes must be the original's, to the last one.
# 2. upload, switch and relays reach QUARNSIM, a simulator built for this
#    machine and listening on loopback; the simulator must store what was
#    sent.
# 3. A host that does not resolve fails with the Windows socket number 10022.
# 4. quarnsim.exe, beside QUARNCTL.exe, serves the same upload under wine.
set -euo pipefail

prefix=$1
quarnctl=$2
quarnsim=$3
original=$4
here=$(cd "$(dirname "$0")" && pwd)

work=$(mktemp -d "${TMPDIR:-/tmp}/quarnctl-wine.XXXXXX")
sim_pids=()
cleanup() {
  for pid in "${sim_pids[@]}"; do
    kill "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
  done
  rm -rf "$work"
}
trap cleanup EXIT

fail() {
  echo "FAIL: $*" >&2
  exit 1
}

# The program sees Windows paths: drive Z: is the machine's root in wine.
windows_path() {
  local path=$1
  printf 'Z:%s' "${path//\//\\}"
}

quarnctl() {
  "$here/wine-run.sh" "$prefix" "$quarnctl" "$@"
}

[ -x "$quarnsim" ] || fail "$quarnsim is not built (cmake --build --preset default --target quarnsim)"

# 1. show --json, then write, under wine.
cp "$original" "$work/original.xml"
quarnctl show --json "$(windows_path "$work/original.xml")" >"$work/model.json" \
  || fail "quarnctl show --json failed"
quarnctl write "$(windows_path "$work/model.json")" "$(windows_path "$work/written.xml")" \
  || fail "quarnctl write failed"
cmp "$work/original.xml" "$work/written.xml" || fail "written file differs from $original"
echo "write: $(wc -c <"$work/written.xml") bytes, identical to $(basename "$original")"

# A name outside the ANSI code page, written twice (new, then replaced) and
# read back: wide arguments and wide file paths.
unicode="$work/Бюро 東.xml"
for _ in 1 2; do
  quarnctl write "$(windows_path "$work/model.json")" "$(windows_path "$unicode")" \
    || fail "quarnctl write to a Unicode name failed"
done
cmp "$work/original.xml" "$unicode" || fail "$unicode differs from $original"
quarnctl show "$(windows_path "$unicode")" >"$work/unicode.out" || fail "quarnctl show of a Unicode name failed"
[ "$(ls "$work" | grep -c '~tmp')" -eq 0 ] || fail "temporary files left behind: $(ls "$work")"
echo "Unicode file name: written, replaced and read back"

# Starts a simulator (the command given) on a free loopback port, storing
# into the folder given first; sets $port from the first line it prints.
start_simulator() {
  local name=$1
  shift
  mkdir "$work/$name"
  "$@" >"$work/$name.out" 2>"$work/$name.log" &
  sim_pids+=($!)
  for _ in $(seq 300); do
    [ -s "$work/$name.out" ] && break
    kill -0 "${sim_pids[-1]}" 2>/dev/null || fail "$name did not start: $(cat "$work/$name.log")"
    sleep 0.1
  done
  port=$(head -n 1 "$work/$name.out" | tr -d '\r')
  [ -n "$port" ] || fail "$name printed no port"
}

# Uploads the written file to the simulator on $port, which must store it.
upload_to() {
  local name=$1
  quarnctl upload --host 127.0.0.1 --port "$port" "$(windows_path "$work/written.xml")" >"$work/upload.out" \
    || fail "quarnctl upload to $name failed: $(cat "$work/$name.log")"
  grep -q "^State machine accepted" "$work/upload.out" || fail "upload answered: $(cat "$work/upload.out")"
  # The upload reads the file in text mode: the controller gets LF line ends.
  tr -d '\r' <"$work/written.xml" >"$work/sent.xml"
  cmp "$work/sent.xml" "$work/$name/state_machine.xml" || fail "$name stored other bytes"
  echo "upload to $name: $(tr -d '\r' <"$work/upload.out")"
}

# 2. The native simulator.
start_simulator native "$quarnsim" --address 127.0.0.1 --port 0 --store "$work/native"
upload_to native

quarnctl switch --host localhost --port "$port" R3 on >"$work/switch.out" || fail "quarnctl switch failed"
quarnctl relays --host 127.0.0.1 --port "$port" >"$work/relays.out" || fail "quarnctl relays failed"
tr -d '\r' <"$work/relays.out" | grep -qx "R3 on" || fail "R3 is not on: $(cat "$work/relays.out")"
echo "switch and relays: R3 on"

# 3. A scheme prefix makes the host a name that does not resolve.
if quarnctl relays --host http://127.0.0.1 --port "$port" >/dev/null 2>"$work/refused.err"; then
  fail "relays with an unresolvable host succeeded"
fi
tr -d '\r' <"$work/refused.err" | grep -qx "Cannot connect: 10022" \
  || fail "unresolvable host gave: $(cat "$work/refused.err")"
echo "unresolvable host: Cannot connect: 10022"

# 4. The simulator built for Windows, under wine.
quarnsim_exe=$(dirname "$quarnctl")/quarnsim.exe
if [ -f "$quarnsim_exe" ]; then
  start_simulator wine "$here/wine-run.sh" "$prefix" "$quarnsim_exe" --address 127.0.0.1 --port 0 \
    --store "$(windows_path "$work/wine")"
  upload_to wine
fi
