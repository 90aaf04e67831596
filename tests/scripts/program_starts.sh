#!/usr/bin/env bash
# Starts the real program on a display of its own, under a window manager, with a fresh home
# folder, checks its window, checks that a second start ends at once, then closes the first. Runs
# inside tests/scripts/isolated.sh (it starts itself there), so the single-instance lock is its own.
# A screenshot of the first start goes to $QUORVELAN_E2E_SHOTS (or a temporary folder).
set -u
[ -n "${QUORVELAN_ISOLATED:-}" ] || exec "$(dirname "$0")/isolated.sh" "$0" "$@"
program="$1"
work=$(mktemp -d)
shots="${QUORVELAN_E2E_SHOTS:-$work}"
mkdir -p "$shots"
pid="" xvfb="" window_manager=""
trap 'for p in $pid $window_manager $xvfb; do kill "$p" 2>/dev/null; done; rm -rf "$work"' EXIT

. "$(dirname "$0")/virtual_display.sh"
start_virtual_display
start_window_manager

export DISPLAY="$display" HOME="$work/home"
unset XDG_CONFIG_HOME
mkdir -p "$HOME"

fail() { echo "FAIL: $*"; exit 1; }

"$program" >"$work/first.log" 2>&1 &
pid=$!

title="Quorvelan Plug-in Manager v3.22"

# The 785 x 480 window so named, while the program runs.
window_or_end() {
    kill -0 "$pid" 2>/dev/null || return 0
    main_window_now
}

found=$(poll window_or_end)
kill -0 "$pid" 2>/dev/null || fail "the program ended: $(tail -5 "$work/first.log")"
[ -n "$found" ] || fail "no 785 x 480 window titled '$title'"
xdotool getwindowgeometry "$found"

# First start: the licence agreement is up over the main window.
eula_shows() { xdotool search --onlyvisible --name "^End User Licence Agreement \(EULA\)\$" >/dev/null 2>&1; }
poll eula_shows || fail "no licence agreement on first start"

shot="$shots/first-start.png"
import -display "$display" -window root "$shot" || fail "no screenshot"
echo "screenshot: $shot"

# A second start ends at once and leaves the first running.
start=$(date +%s%N)
timeout 60 "$program" >"$work/second.log" 2>&1
rc=$?
elapsed=$(( ($(date +%s%N) - start) / 1000000 ))
echo "second start: rc $rc after ${elapsed} ms"
[ "$rc" -ne 124 ] || fail "second start did not end"
[ "$rc" -eq 0 ] || fail "second start ended with $rc"
kill -0 "$pid" 2>/dev/null || fail "the first instance ended"
[ "$(xdotool search --name "^${title}\$" 2>/dev/null | wc -l)" -eq 1 ] || fail "more than one main window"

kill "$pid"
wait "$pid" 2>/dev/null
echo "PASS"
