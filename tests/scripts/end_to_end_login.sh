#!/usr/bin/env bash
# Drives the real program with xdotool against the stand-in server and its sample catalogue:
# update check -> welcome page -> login with "remember" -> product status (left as it comes up);
# a restart with the remembered login; a wrong password; then, with the server stopped and the
# sample copied as the offline repository, the offline page and "Continue in offline mode". Runs
# as root inside tests/scripts/isolated.sh (it starts itself there), on a display of its own under
# a window manager, with a home folder of its own. A screenshot is kept for each step in
# $QUORVELAN_E2E_SHOTS (or a temp folder).
#
# usage: end_to_end_login.sh PROGRAM STANDIN_SERVER SAMPLE_FOLDER PORT
set -u
[ -n "${QUORVELAN_ISOLATED:-}" ] || exec "$(dirname "$0")/isolated.sh" "$0" "$@"
program="$1"
standin="$2"
sample="$3"
port="$4"

work=$(mktemp -d)
shots="${QUORVELAN_E2E_SHOTS:-$work/shots}"
mkdir -p "$shots"
pid=""
server=""
xvfb=""
window_manager=""
cleanup() {
    [ -n "$pid" ] && kill "$pid" 2>/dev/null
    [ -n "$server" ] && kill "$server" 2>/dev/null
    [ -n "$window_manager" ] && kill "$window_manager" 2>/dev/null
    [ -n "$xvfb" ] && kill "$xvfb" 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT

fail() { echo "FAIL: $*"; echo "--- server log"; cat "$work/server.log" 2>/dev/null; echo "--- program log"; cat "$work/program.log" 2>/dev/null; exit 1; }

. "$(dirname "$0")/virtual_display.sh"
start_virtual_display
start_window_manager
export DISPLAY="$display" HOME="$work/home"
unset XDG_CONFIG_HOME

settings="$HOME/.config/Quorvelan"
mkdir -p "$settings"
touch "$settings/init"            # the licence agreement was accepted earlier
loginfile="$settings/login"
step=0

# A screenshot of the whole display; notes where the main window's content was in it.
capture() {
    import -window root "$last" || fail "no screenshot"
    window_origin "$window"
}

shot() {
    step=$((step + 1))
    last="$shots/$(printf '%02d' "$step")-$1.png"
    capture
    echo "screenshot: $last"
}

# The mean brightness (0 to 1) of a rectangle of the main component in the last screenshot.
brightness() {
    /usr/bin/convert "$last" -crop "$3x$4+$((originX + $1))+$((originY + $2))" +repage -colorspace gray -format "%[fx:mean]" info:
}

# Waits (taking the step's screenshot again) until the rectangle's brightness compares with the
# value as asked (lt or gt); fails otherwise.
expect_brightness() {
    local value end=$((SECONDS + wait_seconds))
    while :; do
        value=$(brightness "$1" "$2" "$3" "$4")
        awk -v v="$value" -v limit="$6" -v op="$5" 'BEGIN { exit !((op == "lt") ? (v < limit) : (v > limit)) }' && return 0
        [ "$SECONDS" -lt "$end" ] || break
        sleep 0.5
        capture
    done
    fail "$7 (brightness $value at $1,$2 $3x$4 in $last)"
}

# The welcome page, painted: its dark background beside the logo (a window not painted yet is
# white there) and its white language box. A slow (checking) build paints its first frame late,
# and a click before that is lost.
expect_welcome_page() {
    expect_brightness 680 90 60 40 lt 0.3 "the window is not painted"
    expect_brightness 320 408 120 14 gt 0.8 "no language box: not the welcome page"
}

# A white editor holds no text when its inside is all white.
expect_editor_filled() { expect_brightness "$1" "$2" 50 14 lt 0.95 "$3"; }
expect_editor_empty() { expect_brightness "$1" "$2" 200 14 gt 0.99 "$3"; }

start_server() {
    start_standin "$sample" "$work/server.log" || fail "the stand-in server did not start on port $port"
}

stop_server() {
    kill "$server" 2>/dev/null
    wait "$server" 2>/dev/null
    server=""
}

# Waits until the server log holds a line matching the pattern.
wait_for_request() {
    poll grep -q "$1" "$work/server.log" || fail "no request matching '$1'"
}

# Starts the program and waits until its 785 x 480 main window is up ($window).
start_program() {
    "$program" >"$work/program.log" 2>&1 &
    pid=$!
    window=$(find_main_window)
    [ -n "$window" ] || fail "no main window"
}

stop_program() {
    kill "$pid" 2>/dev/null
    wait "$pid" 2>/dev/null
    pid=""
}

# Clicks at a point of the main component (the window manager's frame around it may move it).
# The program takes the clicks, and the keys typed after them, in the order they come.
click() {
    xdotool mousemove --window "$window" "$1" "$2" click 1
}

# Waits until a visible window so named is up, or with "gone" until none is.
window_shows() {
    found=$(xdotool search --onlyvisible --name "$1" 2>/dev/null | head -1)
    if [ "${2:-}" = gone ]; then [ -z "$found" ]; else [ -n "$found" ]; fi
}

wait_for_window() {
    poll window_shows "$@"
}

# 1. The update check, then the welcome page.
start_server
start_program
wait_for_request "ACTION=GET_VERSION"
shot welcome
expect_welcome_page

# 2. Existing user; log in with "remember" ticked.
click 170 252                     # existing-user box
wait_for_request "^GET /plugin_manager.htm -> "
shot login-empty
expect_editor_empty 70 245 "the e-mail editor is not empty (or not shown)"
click 200 252                     # e-mail editor
xdotool type --delay 20 "demo@quorvelan.com"
click 200 312                     # password editor
xdotool type --delay 20 "demo1234"
click 57 337                      # remember toggle
shot login-typed
expect_editor_filled 60 245 "the e-mail was not typed"
expect_editor_filled 60 305 "the password was not typed"
click 275 387                     # login button
wait_for_request "ACTION=REQUEST_LICENCE&email=demo%40quorvelan.com&password=demo1234 -> 200"
wait_for_request "ACTION=REQUEST_COMPONENTS"
shot product-status
expect_brightness 28 140 60 12 gt 0.5 "no product table header: not the product status screen"
[ -f "$loginfile" ] || fail "no login file"
[ "$(stat -c %a "$loginfile")" = 600 ] || fail "login file mode $(stat -c %a "$loginfile")"
cp "$loginfile" "$work/login.saved"

# 3. Restart: the remembered login fills the page.
stop_program
start_program
wait_for_request "ACTION=GET_VERSION"
shot welcome-again
expect_welcome_page
click 170 252
shot login-remembered
expect_editor_filled 60 245 "the remembered e-mail is missing"
expect_editor_filled 60 305 "the remembered password is missing"
expect_brightness 50 329 16 16 gt 0.09 "the remember toggle is off"

# 4. A wrong password: the alert, in front of the waiting task window and still after a click on
# the main window; the page stays, the file is unchanged.
click 200 312
xdotool key ctrl+a BackSpace
xdotool type --delay 20 "wrong"
before=$(grep -c "REQUEST_LICENCE" "$work/server.log")
click 275 387
wait_for_window "^Login\$" || fail "no Login alert"
wait_until_in_front Login || fail "the Login alert is not in front (\"$front\" is)"
shot wrong-password-alert
click 100 60                      # the main window beside the alert, as a waiting customer would
wait_until_in_front Login || fail "a click on the main window hid the Login alert (\"$front\" is in front)"
shot alert-after-click
xdotool key Return
wait_for_window "^Login\$" gone || fail "the Login alert stays"
[ "$(grep -c "REQUEST_LICENCE" "$work/server.log")" -gt "$before" ] || fail "no second login request"
cmp -s "$loginfile" "$work/login.saved" || fail "the login file changed"
shot login-after-alert
expect_editor_filled 60 245 "the login page did not stay"

# 5. No server, the sample as the offline repository: the offline page, then offline mode.
stop_program
stop_server
repository="/opt/Quorvelan/PluginManagerOfflineRepository"
mkdir -p "$repository"
cp -r "$sample"/. "$repository"/
start_program
shot offline
expect_brightness 462 352 160 24 gt 0.1 "no continue button: not the offline page with a repository"
expect_brightness 60 245 200 14 lt 0.5 "an editor shows: not the offline page"
click 542 364                     # "Continue in offline mode"
shot offline-mode
expect_brightness 28 140 60 12 gt 0.5 "no product table header: not the product status screen"

stop_program
echo "PASS"
