#!/usr/bin/env bash
# quarnctl.exe under wine, end to end:
#   quarnctl-round-trip.sh WINEPREFIX QUARNCTL.exe QUARNSIM STATE-MACHINE.xml
# 1. show --json reads the state-machine file, write makes it again from the
#    JSON: the bytes must be the original's, to the last one.
# 2. upload, switch and relays reach QUARNSIM, a simulator built for this
#    machine and listening on loopback; the simulator must store what was
#    sent.
# 3. A host that does not resolve fails with the Windows socket number 10022.
set -euo pipefail

prefix=$1
quarnctl=$2
quarnsim=$3
original=$4
here=$(cd "$(dirname "$0")" && pwd)

work=$(mktemp -d "${TMPDIR:-/tmp}/quarnctl-wine.XXXXXX")
sim_pid=
cleanup() {
  if [ -n "$sim_pid" ]; then
    kill "$sim_pid" 2>/dev/null || true
    wait "$sim_pid" 2>/dev/null || true
  fi
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

# 2. The native simulator on a free loopback port; it prints the port first.
mkdir "$work/store"
"$quarnsim" --address 127.0.0.1 --port 0 --store "$work/store" >"$work/sim.out" 2>"$work/sim.log" &
sim_pid=$!
for _ in $(seq 100); do
  [ -s "$work/sim.out" ] && break
  kill -0 "$sim_pid" 2>/dev/null || fail "quarnsim did not start: $(cat "$work/sim.log")"
  sleep 0.1
done
port=$(head -n 1 "$work/sim.out")
[ -n "$port" ] || fail "quarnsim printed no port"

quarnctl upload --host 127.0.0.1 --port "$port" "$(windows_path "$work/written.xml")" >"$work/upload.out" \
  || fail "quarnctl upload failed: $(cat "$work/sim.log")"
grep -q "^State machine accepted" "$work/upload.out" || fail "upload answered: $(cat "$work/upload.out")"
# The upload reads the file in text mode: the controller gets LF line ends.
tr -d '\r' <"$work/written.xml" >"$work/sent.xml"
cmp "$work/sent.xml" "$work/store/state_machine.xml" || fail "the simulator stored other bytes"
echo "upload: $(tr -d '\r' <"$work/upload.out")"

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
