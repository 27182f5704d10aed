#!/usr/bin/env bash
# Installs the Debian packages that only `make bench` needs: Google Benchmark,
# the two peer parsers the benchmarks compare against (tinyxml2, libxml2),
# hyperfine for start-up timing, xsltproc for the converter comparison and
# valgrind for instruction counts. None of them is needed by `make test`.
# Idempotent: does nothing when every package is already installed.
set -euo pipefail

packages=(
  libbenchmark-dev
  libtinyxml2-dev libxml2-dev
  hyperfine xsltproc valgrind
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

if [ "$(id -u)" -eq 0 ]; then
  sudo=()
else
  sudo=(sudo)
fi

echo "install-bench-deps: installing ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
"${sudo[@]}" apt-get update -qq
"${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
