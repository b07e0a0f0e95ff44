#!/usr/bin/env bash
# Installs what is needed, builds the programmer alone (not the tests and benchmarks) and starts
# it in the folder this script was called from: the program looks for some files, such as the
# QB2300's BOOT2300.HEX, in its current folder.
set -euo pipefail
caller="$(pwd)"
root="$(cd "$(dirname "$0")/.." && pwd)"
cd "$root"
scripts/install-deps.sh
cmake -S . -B build -G Ninja >/dev/null
cmake --build build --target quillet
cd "$caller"
exec "$root/build/quillet" "$@"
