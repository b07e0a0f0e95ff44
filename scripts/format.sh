#!/usr/bin/env bash
# Formats every C++ file the repository tracks with .clang-format, or with --check only reports
# the files that differ from it and exits non-zero (CI runs that). The style is pinned to
# clang-format 14, Debian 12's: other versions lay out some lines differently.
set -euo pipefail
cd "$(dirname "$0")/.."
format=clang-format-14
command -v "$format" >/dev/null || format=clang-format
version="$("$format" --version)"
if ! [[ "$version" =~ version\ 14\. ]]; then
  echo "scripts/format.sh needs clang-format 14, found: $version" >&2
  exit 2
fi
mapfile -t files < <(git ls-files '*.cpp' '*.h')
if [ "${1:-}" = --check ]; then
  "$format" --dry-run --Werror --style=file "${files[@]}"
  echo "${#files[@]} files formatted as .clang-format says"
else
  "$format" -i --style=file "${files[@]}"
fi
