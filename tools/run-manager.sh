#!/usr/bin/env bash
# Builds the manager, starts the stand-in server with the sample catalogue on 127.0.0.1:47311
# (demo account: demo@quorvelan.com / demo1234), then starts the manager on the current display.
# The server logs each request to build/standin-server.log and is stopped when the manager ends.
set -eu
cd "$(dirname "$0")/.."

tools/build.sh

if [ -z "${DISPLAY:-}" ]; then
    echo "No display: set DISPLAY, or run this under xvfb-run." >&2
    exit 1
fi

# tools/build.sh writes the sample catalogue to build/sample and builds the manager against this port.
port=47311
# Emptied before the start, so the wait below never finds the line of a server started before.
: >build/standin-server.log
build/standin/quorvelan_standin_server --port "$port" --root build/sample >>build/standin-server.log 2>&1 &
server=$!
trap 'kill "$server" 2>/dev/null || true; wait "$server" 2>/dev/null || true' EXIT
trap 'exit 130' INT TERM

# It reports once it listens, and ends at once when the port is taken (a connection test could
# reach whatever else holds the port).
listening=no
for _ in $(seq 100); do
    if grep -q "^Stand-in server on " build/standin-server.log 2>/dev/null; then
        listening=yes
        break
    fi
    kill -0 "$server" 2>/dev/null || break
    sleep 0.1
done

if [ "$listening" != yes ]; then
    echo "The stand-in server could not start on 127.0.0.1:$port:" >&2
    cat build/standin-server.log >&2
    exit 1
fi

echo "Stand-in server on http://127.0.0.1:$port/ (requests logged to build/standin-server.log)"
"build/QuorvelanPluginManager_artefacts/Debug/Quorvelan Plugin Manager"
