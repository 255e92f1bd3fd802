#!/usr/bin/env bash
# Installs what is missing, builds everything with warnings as errors and runs all tests headless.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DDISPORA_WERROR=ON
cmake --build build -j"$(nproc)"
export QT_QPA_PLATFORM=offscreen
cd build
ctest --output-on-failure -j"$(nproc)"
