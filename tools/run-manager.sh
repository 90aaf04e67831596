#!/usr/bin/env bash
# Builds the manager, starts the stand-in server with the sample catalogue on 127.0.0.1:47311
# (demo account: demo@quorvelan.com / demo1234), then starts the manager on the current display.
# The server is stopped when the manager ends.
set -eu
cd "$(dirname "$0")/.."

tools/build.sh

if [ -z "${DISPLAY:-}" ]; then
    echo "No display: set DISPLAY, or run this under xvfb-run." >&2
    exit 1
fi

[ -f build/sample/components.xml ] || python3 tools/make_sample_catalogue.py build/sample

build/standin/quorvelan_standin_server --port 47311 --root build/sample &
server=$!
trap 'kill "$server" 2>/dev/null || true; wait "$server" 2>/dev/null || true' EXIT
trap 'exit 130' INT TERM

# Wait until it listens; it ends at once when the port is taken.
for _ in $(seq 50); do
    if ! kill -0 "$server" 2>/dev/null; then
        echo "The stand-in server could not start on port 47311." >&2
        exit 1
    fi
    if (exec 3<>/dev/tcp/127.0.0.1/47311) 2>/dev/null; then
        break
    fi
    sleep 0.1
done

"build/QuorvelanPluginManager_artefacts/Debug/Quorvelan Plugin Manager"
