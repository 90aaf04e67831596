#!/usr/bin/env bash
# The update check and self-update of the real program, end to end, on a display of its own:
#   no server -> offline page; version 3.0 -> welcome page; 3.23 -> the offer; minimum 3.23 -> the
#   required prompt, whose Exit ends the program without "init"; Install -> OK -> the program ends,
#   the new copy lands in /Applications, the download is cleared and the new copy starts.
# Runs as root inside tests/scripts/isolated.sh (it starts itself there: its process space keeps
# any other running manager from holding the hand-over), on a display of its own under a window
# manager, with a fresh home and the stand-in server on the program's port. Screenshots go to
# $QUORVELAN_E2E_SHOTS (or a temporary folder).
# Usage: self_update_end_to_end.sh PROGRAM STANDIN_SERVER SAMPLE_FOLDER PORT
set -u
[ -n "${QUORVELAN_ISOLATED:-}" ] || exec "$(dirname "$0")/isolated.sh" "$0" "$@"

program="$1"
standin="$2"
sample="$3"
port="$4"
work=$(mktemp -d)
shots="${QUORVELAN_E2E_SHOTS:-$work/shots}"
mkdir -p "$shots"
server=""
manager=""
xvfb=""
window_manager=""

cleanup() {
    [ -n "$manager" ] && kill "$manager" 2>/dev/null
    [ -n "$server" ] && kill "$server" 2>/dev/null
    [ -n "$window_manager" ] && kill "$window_manager" 2>/dev/null
    [ -n "$xvfb" ] && kill "$xvfb" 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT

. "$(dirname "$0")/virtual_display.sh"
start_virtual_display
start_window_manager
export DISPLAY="$display"
unset XDG_CONFIG_HOME

title="Quorvelan Plug-in Manager v3.22"
installed="/Applications/Quorvelan Plugin Manager.app/Contents/MacOS/Quorvelan Plugin Manager"
failures=0

fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
pass() { echo "ok: $*"; }

# The served folder: the sample catalogue and repository with a version reply of the scenario's own.
root="$work/served"
mkdir -p "$root"
cp "$sample/components.xml" "$sample/accounts.txt" "$root/"
ln -s "$sample/plugrepo" "$root/plugrepo"

start_server() { # version minvers
    stop_server
    printf '<?xml version="1.0" encoding="UTF-8"?>\n<quordata response="OK"><authapp version="%s" minvers="%s" macpath="updates/MAC/Quorvelan Plugin Manager.app.zip"/></quordata>\n' "$1" "$2" >"$root/version.xml"
    start_standin "$root" "$work/server.log" && return 0
    echo "the stand-in server did not start:"; cat "$work/server.log"
    exit 1
}

stop_server() {
    [ -n "$server" ] && { kill "$server" 2>/dev/null; wait "$server" 2>/dev/null; }
    server=""
    : >"$work/server.log"
}

# A fresh home; with "init" when asked, so no licence agreement covers the page.
start_manager() { # [with-init]
    export HOME="$work/home"
    rm -rf "$HOME"
    mkdir -p "$HOME/.config/Quorvelan"
    if [ "${1:-}" = with-init ]; then
        printf '<?xml version="1.0" encoding="UTF-8"?>\n<Initialisation><eula acceptance="YES"/><local language="English"/></Initialisation>\n' >"$HOME/.config/Quorvelan/init"
    fi
    "$program" >"$work/manager.log" 2>&1 &
    manager=$!
}

stop_manager() {
    [ -n "$manager" ] && { kill "$manager" 2>/dev/null; wait "$manager" 2>/dev/null; }
    manager=""
}

# Clicks a button of an alert window by its place: the buttons sit centred near the bottom.
click_button() { # window first|second|only
    local geometry width height x
    geometry=$(xdotool getwindowgeometry "$1" | sed -n 's/.*Geometry: \([0-9]*\)x\([0-9]*\).*/\1 \2/p')
    width=${geometry% *}
    height=${geometry#* }
    case "$2" in
        first) x=$((width / 2 - 45)) ;;
        second) x=$((width / 2 + 45)) ;;
        *) x=$((width / 2)) ;;
    esac
    xdotool mousemove --window "$1" "$x" $((height - 38)) click 1
}

is_viewable() { xwininfo -id "$1" 2>/dev/null | grep -q "Map State: IsViewable"; }
is_gone() { ! xdotool getwindowname "$1" >/dev/null 2>&1; }

# Clicks the button once the window shows, and waits until the window has gone.
press_button() { # window first|second|only
    poll is_viewable "$1" || return 1
    click_button "$1" "$2"
    poll is_gone "$1"
}

has_ended() { ! kill -0 "$1" 2>/dev/null; }

wait_exit() { # pid
    poll has_ended "$1"
}

shot() { import -display "$display" -window root "$shots/$1.png" 2>/dev/null && echo "screenshot: $shots/$1.png"; }

version_requests() { grep -c "ACTION=GET_VERSION" "$work/server.log" 2>/dev/null; }

#==============================================================================
echo "-- no server: the offline page"
stop_server
start_manager with-init
window=$(find_main_window)
[ -n "$window" ] || fail "no main window"
# The page that offers "Retry": its grey button.
poll brightness_is "$window" 200 362 80 4 gt 0.15 || fail "no offline page"
shown_window "Plugin-Manager Update.*" >/dev/null && fail "a prompt without a server"
kill -0 "$manager" 2>/dev/null && pass "still running without a server" || fail "ended without a server"
shot no-server
stop_manager

echo "-- version 3.0: the welcome page"
start_server 3.0 3.0
start_manager with-init
window=$(find_main_window)
[ -n "$window" ] || fail "no main window"
poll welcome_page_shows "$window" || fail "no welcome page"
[ "$(version_requests)" -eq 1 ] && pass "one version request" || fail "$(version_requests) version requests"
shown_window "Plugin-Manager Update.*" >/dev/null && fail "a prompt for an older version"
shot older-version
stop_manager

echo "-- version 3.23: the offer, over the licence agreement"
start_server 3.23 3.0
start_manager
offer=$(wait_for_shown_window "Plugin-Manager Update Available") && pass "offer shown" || fail "no offer"
licence=$(shown_window "End User Licence Agreement \(EULA\)") && pass "licence agreement beneath it"
wait_until_in_front "Plugin-Manager Update Available" && pass "the offer in front" || fail "\"$front\" in front of the offer"
shot offer
if [ -n "$licence" ]; then
    xdotool mousemove --window "$licence" 40 20 click 1    # the licence agreement beside the offer
    wait_until_in_front "Plugin-Manager Update Available" && pass "the offer stays in front" || fail "a click on the licence agreement hid the offer (\"$front\" is in front)"
fi
[ -n "$offer" ] && { press_button "$offer" second || fail "Skip did not close the offer"; }
[ -n "$licence" ] && { wait_until_in_front "End User Licence Agreement (EULA)" || fail "the licence agreement is not in front after Skip (\"$front\" is)"; }
kill -0 "$manager" 2>/dev/null && pass "Skip keeps the program" || fail "Skip ended the program"
stop_manager

echo "-- minimum 3.23: required; Exit ends the program without init"
start_server 3.23 3.23
start_manager
required=$(wait_for_shown_window "Plugin-Manager Update Required") && pass "required prompt shown" || fail "no required prompt"
shot required
[ -n "$required" ] && press_button "$required" second
if wait_exit "$manager"; then pass "Exit ended the program"; else fail "Exit did not end the program"; fi
[ -e "$HOME/.config/Quorvelan/init" ] && fail "init written after Exit" || pass "no init after Exit"
grep -q "/plugrepo/" "$work/server.log" && fail "an archive was requested after Exit"
stop_manager

echo "-- Install: download, hand-over, the new copy starts"
start_server 3.23 3.0
start_manager
offer=$(wait_for_shown_window "Plugin-Manager Update Available") || fail "no offer"
[ -n "$offer" ] && { press_button "$offer" first || fail "Install did not close the offer"; }
done_box=$(wait_for_shown_window "Download Complete") && pass "download complete" || fail "no Download Complete box"
shot download-complete
[ -n "$done_box" ] && press_button "$done_box" only
old=$manager
if wait_exit "$manager"; then pass "the program ended after the download"; else fail "the program did not end"; fi
manager=""
poll cmp -s "$installed" "$program"
cmp -s "$installed" "$program" && pass "/Applications holds the served program" || fail "/Applications does not hold the served program"
[ -x "$(dirname "$installed")/quorvelan-privileged-helper" ] && pass "the helper beside it" || fail "no helper beside it"
temp="$HOME/.config/Quorvelan/temp"
temp_is_empty() { [ ! -e "$temp/Quorvelan Plugin Manager.app.zip" ] && [ ! -e "$temp/Quorvelan Plugin Manager.app" ]; }
poll temp_is_empty
[ -e "$temp/Quorvelan Plugin Manager.app.zip" ] && fail "the archive is still in temp"
[ -e "$temp/Quorvelan Plugin Manager.app" ] && fail "the unpacked bundle is still in temp"
# The new copy's 785 x 480 main window.
new_window() {
    local id
    for id in $(xdotool search --name "^${title}\$" 2>/dev/null); do
        [ "$(xdotool getwindowpid "$id" 2>/dev/null)" = "$old" ] && continue
        xdotool getwindowgeometry "$id" 2>/dev/null | grep -q "Geometry: 785x480" && { echo "$id"; return 0; }
    done
    return 1
}
window=$(poll new_window)
[ -n "$window" ] && pass "the new copy shows its 785 x 480 window" || fail "the new copy shows no window"
newpid=$(xdotool getwindowpid "$window" 2>/dev/null)
[ -n "$newpid" ] && [ "$(readlink "/proc/$newpid/exe")" = "$installed" ] && pass "started from /Applications" || fail "the window is not the new copy's"
shot new-copy
[ -n "$newpid" ] && kill "$newpid" 2>/dev/null

stop_server
if [ "$failures" -eq 0 ]; then echo "PASS"; else echo "$failures FAILED"; exit 1; fi
