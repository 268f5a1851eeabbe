#!/usr/bin/env bash
# Installs what is missing, then builds everything into build/ (the game folder is build/game).
# Extra arguments go to cmake's configure step.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh "${ZARVIK_DEPS:-}"
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@"
cmake --build build -j"$(nproc)"
