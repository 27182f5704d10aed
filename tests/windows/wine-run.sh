#!/usr/bin/env bash
# Runs a Windows program under wine in the wine prefix given first:
#   wine-run.sh PREFIX PROGRAM.exe [ARGUMENTS...]
# The prefix is created on first use (no display needed); starting several
# programs at once is safe. Exit status: the program's.
set -euo pipefail
prefix=$(realpath -m "$1")
shift
export WINEPREFIX=$prefix
export WINEDEBUG=-all
# Arguments reach the program as UTF-8 and become UTF-16 there; the ANSI
# code page stays 1252.
export LC_ALL=C.UTF-8
export WINEDLLOVERRIDES="mscoree,mshtml="
unset DISPLAY WAYLAND_DISPLAY

if [ ! -f "$prefix/.quarn-ready" ]; then
  mkdir -p "$prefix"
  (
    flock 9
    if [ ! -f "$prefix/.quarn-ready" ]; then
      wineboot --init >/dev/null 2>&1 || true
      wineserver --wait || true
      touch "$prefix/.quarn-ready"
    fi
  ) 9>"$prefix.lock"
fi
exec wine "$@"
