#!/usr/bin/env bash
# Configures (once) and builds the manager and the tests into build/.
set -eu
cd "$(dirname "$0")/.."

tools/install-packages.sh

[ -f build/CMakeCache.txt ] || cmake -S . -B build -DCMAKE_BUILD_TYPE=Debug
cmake --build build -j "$(nproc)"
