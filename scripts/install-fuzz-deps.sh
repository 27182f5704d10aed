#!/usr/bin/env bash
# Installs what `make fuzz` needs beyond scripts/install-deps.sh: clang 14 and
# its runtime libraries, of which libclang-rt-14-dev ships the libFuzzer
# engine (libclang_rt.fuzzer). Does nothing when both are installed.
set -euo pipefail

packages=(clang-14 libclang-rt-14-dev)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done
if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

sudo=()
if [ "$(id -u)" -ne 0 ]; then
  sudo=(sudo)
fi
echo "install-fuzz-deps: installing ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
"${sudo[@]}" apt-get update -qq
"${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
