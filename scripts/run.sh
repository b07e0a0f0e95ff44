#!/usr/bin/env bash
# Installs what is needed, builds and starts the programmer.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
scripts/build.sh build
exec build/quillet "$@"
