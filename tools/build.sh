#!/usr/bin/env bash
# Configures (once) and builds the manager and the tests into build/.
set -eu
cd "$(dirname "$0")/.."

tools/install-packages.sh

# The run command's stand-in server listens on this port; the end-to-end tests serve on it too,
# each inside a network of its own (tests/scripts/isolated.sh).
[ -f build/CMakeCache.txt ] || cmake -S . -B build -DCMAKE_BUILD_TYPE=Debug -DQUORVELAN_SERVER_ORIGIN=http://127.0.0.1:47311
cmake --build build -j "$(nproc)"
