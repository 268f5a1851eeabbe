#!/usr/bin/env bash
# Installs what is missing (test tools too), builds, and runs every test.
set -euo pipefail
cd "$(dirname "$0")/.."
ZARVIK_DEPS=--tests scripts/build.sh
cd build
ctest --output-on-failure -j"$(nproc)" "$@"
