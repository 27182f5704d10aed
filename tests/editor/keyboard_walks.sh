#!/usr/bin/env bash
# Drives the real editor on an X server with a window manager, as a keyboard
# user does: typed keys arrive through the X server (xdotool), focus moves as
# the window manager gives it, and the file that Ctrl+S writes is read back
# with quarnctl. Offscreen tests miss faults that only show this way.
#
# usage: keyboard_walks.sh QUARNTOOL QUARNCTL
# Exit status 77 (skipped) when no display server can start here.
set -uo pipefail

quarntool=$1
quarnctl=$2
python=/usr/bin/python3

skip() { echo "SKIPPED: $*"; exit 77; }
for tool in Xvfb openbox xdotool; do
  command -v "$tool" >/dev/null || skip "$tool is not installed (scripts/install-deps.sh installs it)"
done
[ -x "$python" ] || skip "$python is missing"

scratch=$(mktemp -d)
server_pid=
wm_pid=
editor_pid=
cleanup() {
  [ -n "$editor_pid" ] && kill "$editor_pid" 2>/dev/null
  [ -n "$wm_pid" ] && kill "$wm_pid" 2>/dev/null
  [ -n "$server_pid" ] && kill "$server_pid" 2>/dev/null
  wait 2>/dev/null
  rm -rf "$scratch"
}
trap cleanup EXIT

# A display number the X server picks itself, so parallel runs never collide.
exec 5>"$scratch/display"
Xvfb -displayfd 5 -screen 0 1280x800x24 -nolisten tcp >"$scratch/xvfb.log" 2>&1 &
server_pid=$!
exec 5>&-
for _ in $(seq 100); do
  [ -s "$scratch/display" ] && break
  kill -0 "$server_pid" 2>/dev/null || skip "Xvfb did not start: $(tail -n 3 "$scratch/xvfb.log")"
  sleep 0.1
done
[ -s "$scratch/display" ] || skip "Xvfb gave no display within 10 s"
export DISPLAY=":$(head -n 1 "$scratch/display")"
openbox --sm-disable >"$scratch/openbox.log" 2>&1 &
wm_pid=$!
sleep 0.5

export QT_QPA_PLATFORM=xcb
export XDG_RUNTIME_DIR="$scratch/runtime"
mkdir -m 700 "$XDG_RUNTIME_DIR"
unset SESSION_MANAGER

failures=0
fail() { echo "FAIL [$walk]: $*"; failures=$((failures + 1)); }

# Writes a state-machine file from the model JSON of quarnctl write; the
# timers not given are blank.
fixture() {  # name json
  "$python" -c '
import json, sys
model = json.loads(sys.argv[1])
blank = {"onDate": None, "onTime": None, "offDate": None, "offTime": None, "weekdays": 0}
model["timers"] += [blank] * (8 - len(model["timers"]))
model["relays"] = ["#T0", "#T1"] + [""] * 6
print(json.dumps(model))' "$2" >"$scratch/$1.json"
  "$quarnctl" write "$scratch/$1.json" "$scratch/$1.xml" >/dev/null || { echo "cannot write fixture $1"; exit 1; }
}

visible_window() {  # title regex; prints the window ids
  xdotool search --onlyvisible --name "$1" 2>/dev/null
}

wait_for_window() {  # title regex
  for _ in $(seq 100); do
    visible_window "$1" >/dev/null && return 0
    sleep 0.1
  done
  return 1
}

start_editor() {
  export XDG_CONFIG_HOME="$scratch/config-$walk"
  mkdir -p "$XDG_CONFIG_HOME"
  "$quarntool" >"$scratch/editor-$walk.log" 2>&1 &
  editor_pid=$!
  wait_for_window '^QuarnTool$' || { fail "the editor's window did not appear"; return 1; }
  local window
  window=$(visible_window '^QuarnTool$' | head -n 1)
  xdotool windowactivate --sync "$window" 2>/dev/null
  sleep 0.3
}

stop_editor() {
  kill "$editor_pid" 2>/dev/null
  wait "$editor_pid" 2>/dev/null
  editor_pid=
}

keys() { xdotool key --delay 60 "$@"; sleep 0.2; }
typed() { xdotool type --delay 60 "$1"; sleep 0.2; }

# Ctrl+O with the editor's question (if any) left to the caller; types the
# path into the file dialog.
open_file() {  # path
  keys ctrl+o
  wait_for_window '^Open$' || { fail "Ctrl+O showed no file dialog"; return 1; }
  typed "$1"
  keys Return
  sleep 0.5
}

# Ctrl+S. A document with a name is saved to it (the old file is removed
# first, so that the new one shows); one without gets its name typed into
# Save As.
save() {  # path named|unnamed
  if [ "$2" = named ]; then
    rm -f "$1"
    keys ctrl+s
  else
    keys ctrl+s
    wait_for_window '^Save As$' || { fail "Ctrl+S showed no Save As dialog"; return 1; }
    typed "$1"
    keys Return
  fi
  for _ in $(seq 50); do
    [ -s "$1" ] && return 0
    sleep 0.1
  done
  fail "Ctrl+S wrote no file"
  return 1
}

# Compares timer n of a file, read back with quarnctl, with the expected
# onDate, onTime, offDate, offTime and weekday mask ("null" for blank).
expect_timer() {  # file n onDate onTime offDate offTime weekdays
  local got
  got=$("$quarnctl" show --json "$1" | "$python" -c '
import json, sys
t = json.load(sys.stdin)["timers"][int(sys.argv[1])]
print(" ".join(str(t[k]) if t[k] is not None else "null"
               for k in ("onDate", "onTime", "offDate", "offTime", "weekdays")))' "$2")
  local want="$3 $4 $5 $6 $7"
  [ "$got" = "$want" ] || fail "timer T$2 is \"$got\", expected \"$want\""
}

no_question() {  # what was done
  sleep 0.5
  if [ "$(visible_window '^QuarnTool$' | wc -l)" -gt 1 ]; then
    fail "a question came up after $1, with nothing changed"
    keys Escape
  fi
}

blank_t0='{"version": "walk", "timers": [{"onDate": null, "onTime": null, "offDate": null, "offTime": null, "weekdays": 0},
  {"onDate": null, "onTime": "06:00:00", "offDate": null, "offTime": "07:00:00", "weekdays": 127}]}'
filled_t0='{"version": "walk", "timers": [{"onDate": "2027/01/04", "onTime": "22:00:00", "offDate": "2027/01/08", "offTime": "23:00:00", "weekdays": 31}]}'
fixture blank_t0 "$blank_t0"
fixture filled_t0 "$filled_t0"

# Times typed into the blank fields of an opened file: no date appears, and
# every digit counts.
walk=times-into-blank-fields
cp "$scratch/blank_t0.xml" "$scratch/$walk.xml"
if start_editor; then
  open_file "$scratch/$walk.xml"
  keys Tab; typed 07:30:00
  keys Tab Tab; typed 22:00:00
  keys Tab space
  save "$scratch/$walk.xml" named && expect_timer "$scratch/$walk.xml" 0 null 07:30:00 null 22:00:00 1
  stop_editor
fi

# All four fields of a new document typed in, one Tab between them.
walk=whole-timer-in-new-editor
if start_editor; then
  typed 2027/03/05; keys Tab; typed 08:00:00; keys Tab; typed 2027/03/09; keys Tab; typed 18:00:00
  save "$scratch/$walk.xml" unnamed && expect_timer "$scratch/$walk.xml" 0 2027/03/05 08:00:00 2027/03/09 18:00:00 0
  stop_editor
fi

# A time typed over a filled one; the separators follow sections that moved
# on by themselves.
walk=time-over-filled-time
cp "$scratch/filled_t0.xml" "$scratch/$walk.xml"
if start_editor; then
  open_file "$scratch/$walk.xml"
  keys Tab; typed 06:05:07
  save "$scratch/$walk.xml" named && expect_timer "$scratch/$walk.xml" 0 2027/01/04 06:05:07 2027/01/08 23:00:00 31
  stop_editor
fi

# Tab and Shift+Tab over blank and filled fields change nothing: no question
# before the next Open, and the saved file is the file that was opened.
walk=tab-walk-changes-nothing
cp "$scratch/blank_t0.xml" "$scratch/$walk.xml"
if start_editor; then
  open_file "$scratch/$walk.xml"
  keys Tab Tab Tab Tab shift+Tab shift+Tab Tab Tab Tab Tab Tab Tab Tab Tab Tab shift+Tab
  keys ctrl+o
  no_question "Tab and Shift+Tab"
  wait_for_window '^Open$' && keys Escape
  save "$scratch/$walk.xml" named
  cmp -s "$scratch/blank_t0.xml" "$scratch/$walk.xml" || fail "the saved file differs from the opened one"
  stop_editor
fi

# The very first shortcut of a new editor, in a blank date field, is only a
# shortcut.
walk=shortcut-in-blank-field
if start_editor; then
  keys ctrl+o
  no_question "the first Ctrl+O"
  wait_for_window '^Open$' && keys Escape
  # Alt+Down opens the calendar, and Escape closes it with the field as it was.
  keys alt+Down Escape ctrl+Up F5 Tab ctrl+Down shift+Tab
  save "$scratch/$walk.xml" unnamed && expect_timer "$scratch/$walk.xml" 0 null null null null 0
  stop_editor
fi

# Delete blanks a field; the Tab and Shift+Tab after it keep it blank (a
# blank time is written as 00:00:00).
walk=delete-then-tab
cp "$scratch/filled_t0.xml" "$scratch/$walk.xml"
if start_editor; then
  open_file "$scratch/$walk.xml"
  keys Tab Delete Tab shift+Tab Tab
  save "$scratch/$walk.xml" named && expect_timer "$scratch/$walk.xml" 0 2027/01/04 00:00:00 2027/01/08 23:00:00 31
  stop_editor
fi

# Undo and Redo typed in a date field undo the document's step, not the
# field's own text: the blanked time comes back, and goes again.
walk=undo-redo-in-a-field
cp "$scratch/filled_t0.xml" "$scratch/$walk.xml"
if start_editor; then
  open_file "$scratch/$walk.xml"
  keys Tab Delete ctrl+z
  save "$scratch/$walk.xml" named && expect_timer "$scratch/$walk.xml" 0 2027/01/04 22:00:00 2027/01/08 23:00:00 31
  keys ctrl+shift+z
  save "$scratch/$walk.xml" named && expect_timer "$scratch/$walk.xml" 0 2027/01/04 00:00:00 2027/01/08 23:00:00 31
  keys ctrl+z ctrl+y
  save "$scratch/$walk.xml" named && expect_timer "$scratch/$walk.xml" 0 2027/01/04 00:00:00 2027/01/08 23:00:00 31
  stop_editor
fi

# Ctrl+P from the first date field opens the print dialog; Return prints
# with its defaults (a PDF named after the document in the home folder),
# and the page holds the opened file's texts. Printing changes nothing: no
# question before the next Open.
walk=print-from-keyboard
cp "$scratch/filled_t0.xml" "$scratch/$walk.xml"
saved_home=$HOME
export HOME="$scratch/home-$walk"
mkdir -p "$HOME"
if start_editor; then
  open_file "$scratch/$walk.xml"
  keys ctrl+p
  if wait_for_window '^Print$'; then
    keys Return
    printed="$HOME/QUARN program.pdf"
    # Complete once the PDF's last line is there.
    for _ in $(seq 100); do
      tail -c 16 "$printed" 2>/dev/null | grep -q '%%EOF' && break
      sleep 0.1
    done
    if [ ! -s "$printed" ]; then
      fail "Return in the print dialog printed nothing"
    elif ! pdftotext "$printed" - 2>/dev/null | grep -q "Timer T7"; then
      fail "the printed page lacks the timer table"
    elif ! pdftotext "$printed" - 2>/dev/null | grep -q "2027/01/04"; then
      fail "the printed page lacks the opened file's ON date"
    fi
  else
    fail "Ctrl+P showed no print dialog"
  fi
  keys ctrl+o
  no_question "printing"
  wait_for_window '^Open$' && keys Escape
  stop_editor
fi
export HOME=$saved_home

# Alt+F opens the File menu; Down, Down and Enter choose "Open...".
walk=menu-by-alt-f
if start_editor; then
  keys alt+f Down Down Return
  wait_for_window '^Open$' || fail "Alt+F, Down, Down, Enter showed no Open dialog"
  keys Escape
  stop_editor
fi

# Direct control with keys only: Ctrl+D opens it, Tab reaches R3, Space and
# Enter switch it without closing the window, and Enter in the address field
# is Exit, which keeps the address typed there. The address starts empty, so
# every request fails at once without reaching out to any host.
walk=direct-control-by-keys
mkdir -p "$scratch/config-$walk/QuarnTool"
printf '[direct]\nurl=\n' >"$scratch/config-$walk/QuarnTool/QuarnTool.conf"
if start_editor; then
  keys ctrl+d
  if wait_for_window '^QuarnTool: Direct control$'; then
    keys Tab Tab Tab Tab space Return
    visible_window '^QuarnTool: Direct control$' >/dev/null || fail "Space or Enter on R3 closed the window"
    keys shift+Tab shift+Tab shift+Tab shift+Tab
    typed walk.invalid
    keys Return
    sleep 0.3
    visible_window '^QuarnTool: Direct control$' >/dev/null && fail "Enter in the address field did not close the window"
    grep -qx 'url=walk.invalid' "$scratch/config-$walk/QuarnTool/QuarnTool.conf" \
      || fail "Exit did not keep the typed address: $(cat "$scratch/config-$walk/QuarnTool/QuarnTool.conf")"
  else
    fail "Ctrl+D opened no Direct control window"
  fi
  stop_editor
fi

if [ "$failures" -gt 0 ]; then
  echo "$failures keyboard walk(s) failed"
  exit 1
fi
echo "every keyboard walk saved what was typed"
