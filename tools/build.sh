#!/usr/bin/env bash
# Configures (once) and builds the manager and the tests into build/.
set -eu
cd "$(dirname "$0")/.."

tools/install-packages.sh

# The stand-in server listens here; tests and the run command use it.
[ -f build/CMakeCache.txt ] || cmake -S . -B build -DCMAKE_BUILD_TYPE=Debug -DQUORVELAN_SERVER_ORIGIN=http://127.0.0.1:47311
cmake --build build -j "$(nproc)"
