#!/usr/bin/env bash
# Builds the game and starts the launcher in the game folder, the player's working directory.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/build.sh
cd build/game
exec ./launcher
