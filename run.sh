#!/usr/bin/env bash
# Installs what is missing, builds both programs in Release (the terminal
# starts the site list from its own folder) and starts BrannocPro with the
# given arguments.
set -euo pipefail
cd "$(dirname "$0")"
. scripts/deps.sh
bp_install "${BP_BUILD_PACKAGES[@]}"
cmake -S . -B build/program -G Ninja -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF >/dev/null
cmake --build build/program --target BrannocPro Quillon
exec build/program/BrannocPro "$@"
