#!/usr/bin/env bash
# Installs what `make fuzz` needs beyond scripts/install-deps.sh: clang 14 and
# its runtime libraries, of which libclang-rt-14-dev ships the libFuzzer
# engine (libclang_rt.fuzzer). Does nothing when both are installed.
set -euo pipefail

packages=(clang-14 libclang-rt-14-dev)

exec bash "$(dirname "$0")/install-missing-packages.sh" install-fuzz-deps "${packages[@]}"
