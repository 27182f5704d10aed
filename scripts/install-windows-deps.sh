#!/usr/bin/env bash
# Installs what the Windows cross build and its test run under wine need
# beyond scripts/install-deps.sh: the mingw-w64 cross compiler with POSIX
# threads (std::thread and friends) and 64-bit wine. Idempotent.
set -euo pipefail

exec bash "$(dirname "$0")/install-missing-packages.sh" install-windows-deps \
  g++-mingw-w64-x86-64-posix mingw-w64-x86-64-dev binutils-mingw-w64-x86-64 \
  wine wine64
