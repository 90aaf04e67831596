#!/usr/bin/env bash
# Every way the real program is asked to quit ends the process within 2 s with no further input:
# OK on "Download failed", "Cancel" during a slow download, "Exit" on the required prompt, the
# bar's quit button and OK on "Download Complete", on a bare X server (no window manager); then
# "Download failed" and the window's close button under a window manager. The outcome box must be
# the window under the pointer at its OK button (not the task window).
# Runs as root inside isolated.sh (a network, process space, /tmp and /var/tmp of its own, and the
# private root), with a fresh home per run and the stand-in server on the program's port.
# Usage: self_update_quits.sh PROGRAM STANDIN_SERVER SAMPLE_FOLDER PORT
# QUORVELAN_QUIT_ROUNDS (default 2) repeats each check.
set -u

[ -n "${QUORVELAN_ISOLATED:-}" ] || exec "$(dirname "$0")/isolated.sh" "$0" "$@"
. "$(dirname "$0")/virtual_display.sh"

program="$1"
standin="$2"
sample="$3"
port="$4"
rounds="${QUORVELAN_QUIT_ROUNDS:-2}"
work=$(mktemp -d)
shots="${QUORVELAN_E2E_SHOTS:-$work/shots}"
mkdir -p "$shots"
server=""
manager=""
xvfb=""
wm=""

cleanup() {
    [ -n "$manager" ] && kill "$manager" 2>/dev/null
    [ -n "$server" ] && kill "$server" 2>/dev/null
    [ -n "$wm" ] && kill "$wm" 2>/dev/null
    [ -n "$xvfb" ] && kill "$xvfb" 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT

# A bare X server of our own: nothing but the program draws on it until openbox is started.
exec 3<> <(:)
Xvfb -displayfd 3 -screen 0 1280x800x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
read -r -t 60 number <&3 || { echo "FAIL: no virtual display"; exit 1; }
exec 3>&-
export DISPLAY=":$number"
unset XDG_CONFIG_HOME

title="Quorvelan Plug-in Manager v3.22"
archive="/plugrepo/updates/MAC/Quorvelan Plugin Manager.app.zip"
failures=0

fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
pass() { echo "ok: $*"; }
shot() { import -display "$DISPLAY" -window root "$shots/$1.png" 2>/dev/null && echo "screenshot: $shots/$1.png"; }

# The served folder: the sample catalogue with a version reply of the scenario's own, with the
# sample repository or an empty one (where the archive request is answered 404).
start_server() { # version minvers with-archive|without-archive [standin options...]
    stop_server
    local root="$work/served"
    rm -rf "$root"
    mkdir -p "$root"
    cp "$sample/components.xml" "$sample/accounts.txt" "$root/"
    if [ "$3" = with-archive ]; then ln -s "$sample/plugrepo" "$root/plugrepo"; else mkdir "$root/plugrepo"; fi
    printf '<?xml version="1.0" encoding="UTF-8"?>\n<quordata response="OK"><authapp version="%s" minvers="%s" macpath="updates/MAC/Quorvelan Plugin Manager.app.zip"/></quordata>\n' "$1" "$2" >"$root/version.xml"
    shift 3
    start_standin "$root" "$work/server.log" "$@" && return 0
    echo "the stand-in server did not start:"; cat "$work/server.log"
    exit 1
}

stop_server() {
    [ -n "$server" ] && { kill "$server" 2>/dev/null; wait "$server" 2>/dev/null; }
    server=""
}

# A fresh home with "init", so no licence agreement covers the page.
start_manager() {
    export HOME="$work/home"
    rm -rf "$HOME"
    mkdir -p "$HOME/.config/Quorvelan"
    printf '<?xml version="1.0" encoding="UTF-8"?>\n<Initialisation><eula acceptance="YES"/><local language="English"/></Initialisation>\n' >"$HOME/.config/Quorvelan/init"
    "$program" >"$work/manager.log" 2>&1 &
    manager=$!
}

stop_manager() {
    [ -n "$manager" ] && { kill "$manager" 2>/dev/null; wait "$manager" 2>/dev/null; }
    manager=""
}

running() { # pid: alive and not a zombie
    local state
    state=$(sed -n 's/^[0-9]* (.*) \(.\).*/\1/p' "/proc/$1/stat" 2>/dev/null)
    [ -n "$state" ] && [ "$state" != Z ]
}

# True when the program has ended, cleanly, within 2 s from now (nothing is sent to it meanwhile).
# A window whose title matches the pattern, shown while the program runs, is a failure.
ended_within_2s() { # description [title pattern]
    local status seen="" end=$(($(date +%s%N) + 2000000000))
    while :; do
        if ! running "$manager"; then
            wait "$manager"
            status=$?
            manager=""
            if [ "$status" -eq 0 ]; then pass "$1: ended within 2 s"; else fail "$1: ended with status $status"; fi
            grep -E "Sanitizer|runtime error" "$work/manager.log" && fail "$1: a checking build's report"
            return 0
        fi
        if [ -n "${2:-}" ] && [ -z "$seen" ] && shown_window "$2" >/dev/null; then
            seen=1
            shot "unwanted-window-$scenario"
            fail "$1: a window \"$2\" showed"
        fi
        [ "$(date +%s%N)" -lt "$end" ] || return 1
        sleep 0.1
    done
}

# Where a window's button is: the buttons of an alert sit centred near its bottom.
button_point() { # window first|second|only -> "x y" on the screen
    local X Y WIDTH HEIGHT x
    eval "$(xdotool getwindowgeometry --shell "$1" | grep -E '^(X|Y|WIDTH|HEIGHT)=')"
    case "$2" in
        first) x=$((WIDTH / 2 - 45)) ;;
        second) x=$((WIDTH / 2 + 45)) ;;
        *) x=$((WIDTH / 2)) ;;
    esac
    echo "$((X + x)) $((Y + HEIGHT - 38))"
}

is_gone() { ! xdotool getwindowname "$1" >/dev/null 2>&1; }

# Clicks the button of a shown window once, and waits until the window has gone, for the steps
# before the one measured.
press_button() { # window first|second|only
    # shellcheck disable=SC2046
    xdotool mousemove $(button_point "$1" "$2") click 1
    poll is_gone "$1"
}

# The measured step: one click on the button of a shown window, then no input at all; the program
# must have ended within 2 s, showing no window whose title matches the pattern meanwhile.
click_then_ended() { # window first|second|only description [title pattern]
    local point
    point=$(button_point "$1" "$2")
    # shellcheck disable=SC2086
    xdotool mousemove $point click 1
    ended_within_2s "$3" "${4:-}" && return 0
    shot "still-running-$scenario"
    fail "$3: still running 2 s after the click, with no further input"
    stop_manager
    return 1
}

# The window under the pointer at the outcome box's button must be the box.
box_on_top() { # box-window
    local point WINDOW
    point=$(button_point "$1" only)
    # shellcheck disable=SC2086
    xdotool mousemove --sync $point
    eval "$(xdotool getmouselocation --shell | grep '^WINDOW=')"
    # Under a window manager the pointer is in the frame that holds the box.
    if [ "$WINDOW" = "$1" ] || xwininfo -tree -id "$WINDOW" 2>/dev/null | grep -q "^ *$(printf '0x%x' "$1") "; then
        pass "the box is above every other window at its OK"
    else
        shot "box-covered-$scenario"
        fail "the box's OK is covered by window $WINDOW ($(xdotool getwindowname "$WINDOW" 2>/dev/null))"
    fi
}

offer_install() {
    local offer
    offer=$(wait_for_shown_window "Plugin-Manager Update Available") || { fail "no offer"; return 1; }
    press_button "$offer" first || { fail "Install did not close the offer"; return 1; }
}

#==============================================================================
download_failed() {
    scenario="failed-${1// /-}"
    echo "-- $1: OK on \"Download failed\""
    start_server 3.23 3.0 without-archive
    start_manager
    offer_install || { stop_manager; return; }
    local box
    box=$(wait_for_shown_window "Download failed") || { fail "no Download failed box"; stop_manager; return; }
    grep -q "GET ${archive// /%20} -> 404" "$work/server.log" || fail "the archive was not answered 404"
    box_on_top "$box"
    click_then_ended "$box" only "OK on Download failed"
}

cancel_download() {
    scenario="cancel-${1// /-}"
    echo "-- $1: Cancel during a slow download"
    start_server 3.23 3.0 with-archive --trickle "$archive"
    start_manager
    offer_install || { stop_manager; return; }
    local task
    task=$(wait_for_shown_window "Downloading Update...") || { fail "no task window"; stop_manager; return; }
    click_then_ended "$task" only "Cancel during the download" "Download (failed|Complete)"
}

required_exit() {
    scenario="exit-${1// /-}"
    echo "-- $1: Exit on the required prompt"
    start_server 3.23 3.23 without-archive
    start_manager
    local required
    required=$(wait_for_shown_window "Plugin-Manager Update Required") || { fail "no required prompt"; stop_manager; return; }
    click_then_ended "$required" second "Exit on the required prompt"
}

bar_quit() {
    scenario="bar-quit-${1// /-}"
    echo "-- $1: the bar's quit button on the login page"
    start_server 3.0 3.0 without-archive
    start_manager
    local window X Y
    window=$(wait_for_shown_window "$title") || { fail "no main window"; stop_manager; return; }
    poll welcome_page_shows "$window" || fail "no welcome page"
    eval "$(xdotool getwindowgeometry --shell "$window" | grep -E '^(X|Y)=')"
    xdotool mousemove $((X + 170)) $((Y + 252)) click 1 # the existing-user box: the login page
    poll login_page_shows "$window" || fail "no login page"
    shot "login-${1// /-}"
    # The quit button, drawn at (739, 435, 34, 34) of the page.
    xdotool mousemove $((X + 756)) $((Y + 452)) click 1
    ended_within_2s "the bar's quit" && return
    shot "still-running-$scenario"
    fail "the bar's quit: still running 2 s after the click"
    stop_manager
}

close_window() {
    scenario="close-${1// /-}"
    echo "-- $1: the window's close button (window manager)"
    start_server 3.0 3.0 without-archive
    start_manager
    local window
    window=$(wait_for_shown_window "$title") || { fail "no main window"; stop_manager; return; }
    poll welcome_page_shows "$window" || fail "no welcome page"
    xdotool windowactivate --sync "$window" 2>/dev/null
    xdotool key --clearmodifiers alt+F4 # openbox closes the active window as its close button does
    ended_within_2s "the close button" && return
    shot "still-running-$scenario"
    fail "the close button: still running 2 s after it"
    stop_manager
}

download_complete() {
    scenario="complete"
    echo "-- OK on \"Download Complete\": the hand-over waits for the program"
    start_server 3.23 3.0 with-archive
    start_manager
    offer_install || { stop_manager; return; }
    local box
    box=$(wait_for_shown_window "Download Complete") || { fail "no Download Complete box"; stop_manager; return; }
    box_on_top "$box"
    click_then_ended "$box" only "OK on Download Complete"
    # The new copy started by the hand-over goes with this namespace.
}

#==============================================================================
echo "== no window manager"
for round in $(seq "$rounds"); do
    download_failed "bare $round"
    cancel_download "bare $round"
    required_exit "bare $round"
    bar_quit "bare $round"
done

echo "== openbox"
display="$DISPLAY"
start_window_manager
wm=$window_manager
for round in $(seq "$rounds"); do
    download_failed "openbox $round"
    close_window "openbox $round"
done

download_complete

stop_server
if [ "$failures" -eq 0 ]; then echo "PASS"; else echo "$failures FAILED"; exit 1; fi
