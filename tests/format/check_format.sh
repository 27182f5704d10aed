#!/usr/bin/env bash
# Every C++ file of the tree is written as .clang-format says. Prints where
# files differ; exits 1 if any does, 77 (skipped) when Debian's clang-format
# is not installed.
set -euo pipefail
source_dir=$1
formatter=${CLANG_FORMAT:-clang-format-14}
if ! command -v "$formatter" >/dev/null; then
  echo "$formatter is not installed; scripts/install-deps.sh installs it" >&2
  exit 77
fi
cd "$source_dir"
mapfile -d '' files < <(find . -path ./build -prune -o -path ./.git -prune -o \
  \( -name '*.cpp' -o -name '*.hpp' \) -type f -print0 | sort -z)
echo "${#files[@]} files"
if ! "$formatter" --style=file --dry-run -Werror "${files[@]}"; then
  echo "some files are not formatted; run: $formatter -i FILE" >&2
  exit 1
fi
