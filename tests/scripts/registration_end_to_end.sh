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

main=$(find_main_window)
[ -n "$main" ] || fail "no main window"

step=0
shot() {
    step=$((step + 1))
    local file
    file="$shots/$(printf '%02d' "$step")-$1.png"
    import -display "$display" -window root "$file" || fail "no screenshot for $1"
    echo "screenshot: $file"
}

# Clicks at a point of the main window's content (relative to the window, inside the window
# manager's frame). The program takes clicks and keys in the order they come.
click() {
    xdotool mousemove --window "$main" "$1" "$2" click 1
}

# Clicks where a new page opens, and waits until the window shows something else.
clickToNewPage() {
    local before
    before=$(window_picture "$main")
    click "$1" "$2"
    poll picture_differs "$main" "$before" || fail "nothing changed after the click at $1, $2"
}

# Clicks an editor, replaces its text by typing.
typeInto() {
    click "$1" "$2"
    xdotool windowfocus --sync "$main" 2>/dev/null
    xdotool key ctrl+a BackSpace
    xdotool type --delay 20 "$3"
}

seenInLog() {
    [ "$(grep -c -- "$1" "$work/server.log")" -ge "${2:-1}" ]
}

waitForLog() {
    poll seenInLog "$@" || fail "the server never saw '$1' (${2:-1} times)"
}

# A shown alert so named ($alert).
alertShows() {
    alert=$(shown_window "$1")
}

alertGone() { ! alertShows "$1"; }

# Waits for an alert by its window title, pictures it, and closes it with a click on its one
# button, centred at its bottom.
answerAlert() {
    local alert="" WIDTH HEIGHT
    poll alertShows "$1" || fail "no alert titled '$1'"
    shot "$2"
    eval "$(xdotool getwindowgeometry --shell "$alert" | grep -E '^(WIDTH|HEIGHT)=')"
    xdotool mousemove --window "$alert" $((WIDTH / 2)) $((HEIGHT - 30)) click 1
    poll alertGone "$1" || fail "the alert '$1' did not close"
}

# The second registration page: its street editor, white, where the first page is dark.
secondPageShows() {
    brightness_is "$main" 540 204 60 6 gt 0.8
}

# The product status screen: its table header.
productStatusShows() {
    brightness_is "$main" 28 140 60 12 gt 0.5
}

email="new.customer+e2e@example.com"
password="Secret 123&x"

# The update check finds no newer version and shows the welcome page.
waitForLog "ACTION=GET_VERSION"
poll welcome_page_shows "$main" || fail "no welcome page"
shot welcome

clickToNewPage 392 252
shot registration-page1

typeInto 232 200 "$email"
typeInto 232 260 "$email"
typeInto 232 331 "$password"
typeInto 232 391 "Secret 124&x"
shot page1-mismatched-passwords
click 756 452
waitForLog "ACTION=REGISTER_VERIFY_ACCOUNT_DETAILS"
answerAlert "Registration Errors" page1-errors-alert

# The correction.
typeInto 232 391 "$password"
click 756 452
waitForLog "ACTION=REGISTER_VERIFY_ACCOUNT_DETAILS" 2
grep "ACTION=REGISTER_VERIFY_ACCOUNT_DETAILS" "$work/server.log" | tail -1 | grep -qF "passwordconf=Secret%20123%26x" || fail "the corrected password did not reach the server"
poll secondPageShows || fail "no second registration page"
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
xdotool key Down Down Down Down Down Down
shot page2-country-chosen
click 756 452
waitForLog "ACTION=ADD_USER_ACCOUNT"
answerAlert "Registration Successful" success-alert
poll welcome_page_shows "$main" || fail "no welcome page after the registration"
shot welcome-again

# The new customer logs in as an existing user and reaches the product status screen.
click 169 252
poll login_page_shows "$main" || fail "no login page"
shot login-page
typeInto 200 252 "$email"
typeInto 200 312 "$password"
click 275 387
waitForLog "ACTION=REQUEST_LICENCE"
waitForLog "ACTION=REQUEST_COMPONENTS"
poll productStatusShows || fail "no product status screen"
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
