#!/usr/bin/env bash
# A new customer registers in the real program against the standalone stand-in server, then logs
# in with the new account. Usage: registration_end_to_end.sh PROGRAM STANDIN SAMPLE_FOLDER ORIGIN
# (ORIGIN is the server address the program was built with, e.g. http://127.0.0.1:47311).
# Runs as root inside tests/scripts/isolated.sh (it starts itself there), on a display of its own
# under a window manager. Screenshots of every step go to $QUORVELAN_E2E_SHOTS (default: a
# temporary folder).
set -u
program="$1"
standin="$2"
sample="$3"
port="${4##*:}"

# Only a build against a local stand-in can be driven here.
case "$4" in
    http://127.0.0.1:*) ;;
    *) echo "SKIP: built against $4, not a local stand-in"; exit 77 ;;
esac
[ -n "${QUORVELAN_ISOLATED:-}" ] || exec "$(dirname "$0")/isolated.sh" "$0" "$@"
work=$(mktemp -d)
shots="${QUORVELAN_E2E_SHOTS:-$work/shots}"
mkdir -p "$shots"
pid="" server="" xvfb="" window_manager=""
trap 'for p in $pid $server $window_manager $xvfb; do kill "$p" 2>/dev/null; done; rm -rf "$work"' EXIT

fail() {
    echo "FAIL: $*"
    echo "--- stand-in log"; cat "$work/server.log"
    echo "--- program output"; tail -20 "$work/program.log"
    exit 1
}

. "$(dirname "$0")/virtual_display.sh"
start_virtual_display
start_window_manager
export DISPLAY="$display" HOME="$work/home"
unset XDG_CONFIG_HOME
# The licence was accepted on an earlier start.
mkdir -p "$HOME/.config/Quorvelan"
touch "$HOME/.config/Quorvelan/init"

start_standin "$sample" "$work/server.log" || fail "the stand-in server did not start on port $port"

"$program" >"$work/program.log" 2>&1 &
pid=$!

main=$(find_main_window 100)
[ -n "$main" ] || fail "no main window"

step=0
shot() {
    step=$((step + 1))
    sleep 0.5
    local file
    file="$shots/$(printf '%02d' "$step")-$1.png"
    import -display "$display" -window root "$file" || fail "no screenshot for $1"
    echo "screenshot: $file"
}

# Clicks at a point of the main window's content (relative to the window, inside the window
# manager's frame).
click() {
    xdotool mousemove --window "$main" "$1" "$2" click 1
    sleep 0.4
}

# Clicks an editor, replaces its text by typing.
typeInto() {
    click "$1" "$2"
    xdotool windowfocus --sync "$main" 2>/dev/null
    xdotool key ctrl+a BackSpace
    xdotool type --delay 20 "$3"
    sleep 0.2
}

waitForLog() {
    for _ in $(seq 150); do
        [ "$(grep -c -- "$1" "$work/server.log")" -ge "${2:-1}" ] && return 0
        sleep 0.1
    done
    fail "the server never saw '$1' (${2:-1} times)"
}

# Waits for an alert by its window title, pictures it, and closes it with its one button.
answerAlert() {
    local alert=""
    for _ in $(seq 150); do
        alert=$(xdotool search --name "^$1\$" 2>/dev/null | head -1)
        [ -n "$alert" ] && break
        sleep 0.1
    done
    [ -n "$alert" ] || fail "no alert titled '$1'"
    shot "$2"
    xdotool windowfocus --sync "$alert" 2>/dev/null
    xdotool key --window "$alert" Return
    for attempt in 1 2; do
        for _ in $(seq 30); do
            if ! xdotool search --name "^$1\$" >/dev/null 2>&1; then
                # The first click after an alert may only bring the main window back to the
                # front: spend it on an empty spot.
                click 700 380
                return 0
            fi
            sleep 0.1
        done
        # Its one button sits centred at the bottom.
        eval "$(xdotool getwindowgeometry --shell "$alert")"
        xdotool mousemove --window "$alert" $((WIDTH / 2)) $((HEIGHT - 30)) click 1
    done
    fail "the alert '$1' did not close"
}

email="new.customer+e2e@example.com"
password="Secret 123&x"

# The update check finds no newer version and shows the welcome page.
waitForLog "ACTION=GET_VERSION"
sleep 1
shot welcome

click 392 252
shot registration-page1

typeInto 232 200 "$email"
typeInto 232 260 "$email"
typeInto 232 331 "$password"
typeInto 232 391 "Secret 124&x"
shot page1-mismatched-passwords
click 756 452
waitForLog "ACTION=REGISTER_VERIFY_ACCOUNT_DETAILS"
answerAlert "Registration Errors" page1-errors-alert

# The correction, typed again until the server sees matching passwords: on a loaded machine a
# click right after an alert can be spent on raising the main window.
for attempt in 1 2 3; do
    typeInto 232 391 "$password"
    click 756 452
    waitForLog "ACTION=REGISTER_VERIFY_ACCOUNT_DETAILS" $((attempt + 1))
    grep "ACTION=REGISTER_VERIFY_ACCOUNT_DETAILS" "$work/server.log" | tail -1 | grep -qF "passwordconf=Secret%20123%26x" && break
    [ "$attempt" -lt 3 ] || fail "the corrected password never reached the server"
    answerAlert "Registration Errors" "page1-errors-alert-again-$attempt"
done
shot registration-page2

typeInto 232 207 "Ana"
typeInto 232 265 "O'Neil"
typeInto 556 207 "1 Main Street"
typeInto 556 236 "Springfield"
typeInto 483 294 "AB1 2CD"
click 756 452
waitForLog "ACTION=REGISTER_NEW_USER_VERIFY_PERSONAL_DETAILS"
answerAlert "Registration Errors" page2-errors-alert

# Tab from the post code to the country list, then six steps down to "Argentina".
click 483 294
xdotool windowfocus --sync "$main" 2>/dev/null
xdotool key Tab
for _ in 1 2 3 4 5 6; do xdotool key Down; sleep 0.1; done
shot page2-country-chosen
click 756 452
waitForLog "ACTION=ADD_USER_ACCOUNT"
answerAlert "Registration Successful" success-alert
shot welcome-again

# The new customer logs in as an existing user and reaches the product status screen.
click 169 252
sleep 1
shot login-page
typeInto 200 252 "$email"
typeInto 200 312 "$password"
click 275 387
waitForLog "ACTION=REQUEST_LICENCE"
waitForLog "ACTION=REQUEST_COMPONENTS"
sleep 2
shot product-status

# The stand-in's log holds the three registration requests and the login with those bytes.
account="&email=new.customer%2be2e%40example.com&emailconf=new.customer%2be2e%40example.com&password=Secret%20123%26x&passwordconf=Secret%20123%26x"
personal="&first_name=Ana&last_name=O'Neil&company=&address_1=1%20Main%20Street&address_2=Springfield&address_3=&postcode=AB1%202CD&country=Argentina"
for line in "ACTION=REGISTER_VERIFY_ACCOUNT_DETAILS${account} -> 200" \
            "ACTION=REGISTER_NEW_USER_VERIFY_PERSONAL_DETAILS${account}${personal} -> 200" \
            "ACTION=ADD_USER_ACCOUNT${account}${personal} -> 200" \
            "ACTION=REQUEST_LICENCE&email=new.customer%2be2e%40example.com&password=Secret%20123%26x -> 200"; do
    grep -qF -- "GET /plugin_manager.htm?$line" "$work/server.log" || fail "not in the server's log: $line"
done
[ "$(grep -c "ACTION=ADD_USER_ACCOUNT" "$work/server.log")" -eq 1 ] || fail "the account was requested more than once"
grep -A1 "ACTION=REQUEST_LICENCE" "$work/server.log" | grep -q "ACTION=REQUEST_COMPONENTS" || fail "the login was not accepted"
kill -0 "$pid" 2>/dev/null || fail "the program ended"
echo "PASS"
