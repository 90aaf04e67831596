#!/usr/bin/env bash
# Builds everything and runs every test on a virtual display.
set -eu
cd "$(dirname "$0")/.."

tools/build.sh
cd build
xvfb-run -a -s "-screen 0 1280x800x24" ctest -j "$(nproc)" --output-on-failure "$@"
