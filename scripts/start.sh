#!/usr/bin/env bash
# Installs what is missing, builds the program folder and starts the program.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build -j"$(nproc)" --target dispora
exec build/dispora/dispora
