#!/usr/bin/env bash
# Installs the Debian packages that only `make bench` needs: Google Benchmark,
# the two peer parsers the benchmarks compare against (tinyxml2, libxml2),
# hyperfine for start-up and whole-program timing, xmllint (libxml2-utils) and
# xsltproc for the whole-program comparisons, and
# valgrind for instruction counts. None of them is needed by `make test`.
# Does nothing when every package is already installed.
set -euo pipefail

packages=(
  libbenchmark-dev
  libtinyxml2-dev libxml2-dev libxml2-utils
  hyperfine xsltproc valgrind
)

exec bash "$(dirname "$0")/install-missing-packages.sh" install-bench-deps "${packages[@]}"
