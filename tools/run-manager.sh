#!/usr/bin/env bash
# Builds the manager and starts it on the current display.
set -eu
cd "$(dirname "$0")/.."

tools/build.sh

if [ -z "${DISPLAY:-}" ]; then
    echo "No display: set DISPLAY, or run this under xvfb-run." >&2
    exit 1
fi

exec "build/QuorvelanPluginManager_artefacts/Debug/Quorvelan Plugin Manager"
