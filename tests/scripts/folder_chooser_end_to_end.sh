#!/usr/bin/env bash
# Drives the real program with xdotool against the stand-in server and its sample catalogue: log
# in, open "My Plug"'s install dialog, tick VST and open the folder chooser from its "..." button;
# in the chooser create a folder with "New Folder", open the prompt again and cancel it (under a
# window manager, once more and close it through the manager), then pick the found VST folder from
# the path drop-down. After each step the chooser must be the topmost window and the install
# dialog unmapped; after "Select" the dialog is back on top, and the install puts the bundle into
# the chosen folder. One pass runs under a window manager (openbox), a second one on the bare
# display. Runs as root inside tests/scripts/isolated.sh with a home folder of its own. A screenshot is kept for each step in $QUORVELAN_E2E_SHOTS (or a temp
# folder).
#
# usage: folder_chooser_end_to_end.sh PROGRAM STANDIN_SERVER SAMPLE_FOLDER PORT
set -u
program="$1"
standin="$2"
sample="$3"
port="$4"

[ -n "${QUORVELAN_ISOLATED:-}" ] || exec "$(dirname "$0")/isolated.sh" "$0" "$@"

work=$(mktemp -d)
shots="${QUORVELAN_E2E_SHOTS:-$work/shots}"
mkdir -p "$shots"
rm -f "$shots"/*.png
pid=""
server=""
xvfb=""
wm=""
cleanup() {
    for p in $pid $wm $server $xvfb; do kill "$p" 2>/dev/null; done
    rm -rf "$work"
}
trap cleanup EXIT

fail() { echo "FAIL ($pass): $*"; echo "--- program log"; tail -20 "$work/program.log" 2>/dev/null; exit 1; }

. "$(dirname "$0")/virtual_display.sh"

export HOME="$work/home"
unset XDG_CONFIG_HOME
mkdir -p "$HOME/.config/Quorvelan"
touch "$HOME/.config/Quorvelan/init"            # the licence agreement was accepted earlier

# An earlier install of one product in a subfolder of the VST folder: the path drop-down offers it.
vstFolder="/Library/Audio/Plug-Ins/VST"
found="$vstFolder/Found"
mkdir -p "$found/Quorvelan Echo.vst/Contents"
cat >"$found/Quorvelan Echo.vst/Contents/Info.plist" <<'EOF'
<?xml version="1.0" encoding="UTF-8"?>
<plist version="1.0"><dict><key>CFBundleVersion</key><string>1.2</string></dict></plist>
EOF

start_standin "$sample" "$work/server.log" || { echo "FAIL: the stand-in server did not start on port $port"; exit 1; }

step=0
pass=""

shot() {
    step=$((step + 1))
    last="$shots/$(printf '%02d' "$step")-$pass-$1.png"
    import -window root "$last" || fail "no screenshot"
    echo "screenshot: $last"
}

hex() { printf '0x%x' "$1"; }

# The id (hex) of the first shown window so named; false if none. (A window that is never shown
# may carry the name for a moment while the program builds it.)
window_now() { # name
    local id
    id=$(xdotool search --onlyvisible --name "$1" 2>/dev/null | head -1)
    [ -n "$id" ] && hex "$id"
}

# Waits for a shown window so named and prints its id; empty if none.
window_named() {
    poll window_now "$1"
}

is_mapped() { xwininfo -id "$1" 2>/dev/null | grep -q "Map State: IsViewable"; }

# Mapped, larger than a pixel and on the screen (the window manager keeps a mapped 1 x 1 window
# outside it).
is_on_screen() {
    xwininfo -id "$1" 2>/dev/null | awk '/Absolute upper-left X/ { x = $4 } /Absolute upper-left Y/ { y = $4 }
        /Width:/ { w = $2 } /Height:/ { h = $2 } /Map State: IsViewable/ { mapped = 1 }
        END { exit !(mapped && w > 1 && h > 1 && x + w > 0 && y + h > 0) }'
}

not_mapped() { ! is_mapped "$1"; }

# Waits until the window is mapped, or with "gone" until it is not (or no longer exists).
wait_mapped() {
    if [ "${2:-}" = gone ]; then poll not_mapped "$1"; else poll is_mapped "$1"; fi
}

# Clicks at a point of a window's content.
click_in() {
    local x y
    x=$(xwininfo -id "$1" | awk '/Absolute upper-left X/ { print $4 }')
    y=$(xwininfo -id "$1" | awk '/Absolute upper-left Y/ { print $4 }')
    xdotool mousemove $((x + $2)) $((y + $3)) click 1
}

# Clicks once at a point of a window's content, waits until a window so named shows, and prints
# its id (hex).
click_to_open() {
    click_in "$1" "$2" "$3"
    poll window_now "$4"
}

# Clicks once at a point of the window's content and waits until the window is unmapped.
click_to_close() {
    click_in "$1" "$2" "$3"
    wait_mapped "$1" gone
}

# The topmost mapped window of the screen (its frame under a window manager) holds the window;
# under a window manager it is also last in the manager's stacking list. Sets $top and $stacking.
is_on_top() {
    top=$(xwininfo -root -children | awk '/^ +0x/ { print $1 }' | while read -r id; do
        is_on_screen "$id" && { echo "$id"; break; }
    done)
    stacking=""
    [ -n "$top" ] && xwininfo -id "$top" -tree | grep -q "$1 " || return 1
    [ -z "$wm" ] && return 0
    stacking=$(xprop -root _NET_CLIENT_LIST_STACKING | sed 's/.*# //; s/, /\n/g' | tail -1)
    [ "$stacking" = "$1" ]
}

# Waits until the window is on top, pictures the screen, and fails unless it is still on top.
expect_on_top() { # window description step
    poll is_on_top "$1"
    shot "$3"
    is_on_top "$1" || fail "$2 is not on top (topmost: $top, last in the window manager's stacking: ${stacking:-none}) in $last"
}

# After each step inside the chooser: the chooser on top, the install dialog not mapped.
expect_chooser_in_front() {
    expect_on_top "$chooser" "the chooser (after $1)" "$1"
    is_mapped "$dialog" && fail "the install dialog shows again (after $1) in $last"
    return 0
}

is_active() { [ "$(hex "$(xdotool getactivewindow 2>/dev/null || echo 0)")" = "$1" ]; }

run_pass() {
    pass="$1"
    echo "--- pass: $pass"
    start_virtual_display
    export DISPLAY="$display"
    poll xdpyinfo >/dev/null 2>&1
    [ "$pass" = openbox ] && { start_window_manager; wm=$window_manager; }

    "$program" >"$work/program.log" 2>&1 &
    pid=$!
    main=$(find_main_window)
    [ -n "$main" ] || fail "no main window"
    main=$(hex "$main")

    # Log in: the welcome page's existing-user box, then the login page.
    poll welcome_page_shows "$main" || fail "no welcome page"
    click_in "$main" 170 252
    poll login_page_shows "$main" || fail "no login page"
    click_in "$main" 200 252
    xdotool type --delay 20 "demo@quorvelan.com"
    click_in "$main" 200 312
    xdotool type --delay 20 "demo1234"
    click_in "$main" 275 387

    # The offer to install every missing product comes first: cancelled.
    offer=$(window_named "^New Plugins Available\$")
    [ -n "$offer" ] || fail "no install offer after the login"
    wait_mapped "$offer" || fail "the install offer does not show"
    shot offer
    click_to_close "$offer" 345 475 || fail "the install offer stays"
    shot product-status

    # "My Plug" (first row): its install button opens the install dialog.
    dialog=$(click_to_open "$main" 305 184 "^Install/Update software\$")
    [ -n "$dialog" ] || fail "no install dialog"
    click_in "$dialog" 96 125                    # VST tick
    shot install-dialog

    # The VST row's "..." button: the chooser replaces the dialog.
    chooser=$(click_to_open "$dialog" 200 124 "^Select a subdirectory in which to install the VST plug-in\\(s\\)\$")
    [ -n "$chooser" ] || fail "no folder chooser"
    expect_chooser_in_front chooser

    # "New Folder", named "Chosen", created.
    prompt=$(click_to_open "$chooser" 579 177 "^New Folder\$")
    [ -n "$prompt" ] || fail "no new-folder prompt"
    click_in "$prompt" 175 101
    xdotool key ctrl+a
    xdotool type --delay 20 "Chosen"
    shot prompt-typed
    click_to_close "$prompt" 117 170 || fail "the new-folder prompt stays after Create"
    [ -d "$vstFolder/Chosen" ] || fail "no folder Chosen created"
    expect_chooser_in_front after-create

    # The prompt again, cancelled.
    prompt=$(click_to_open "$chooser" 579 177 "^New Folder\$")
    [ -n "$prompt" ] || fail "no new-folder prompt the second time"
    shot prompt-again
    click_to_close "$prompt" 224 170 || fail "the new-folder prompt stays after CANCEL"
    [ ! -e "$vstFolder/New Folder" ] || fail "CANCEL created a folder"
    expect_chooser_in_front after-cancel

    # Under the window manager the prompt once more, closed by it (Alt+F4: its close request).
    if [ -n "$wm" ]; then
        prompt=$(click_to_open "$chooser" 579 177 "^New Folder\$")
        [ -n "$prompt" ] || fail "no new-folder prompt the third time"
        poll is_active "$prompt" || fail "the new-folder prompt never takes the focus"
        xdotool key alt+F4
        wait_mapped "$prompt" gone || fail "the window manager's close leaves the new-folder prompt up"
        [ ! -e "$vstFolder/New Folder" ] || fail "the window manager's close created a folder"
        expect_chooser_in_front after-close
    fi

    # The path drop-down: its first entry is the found folder.
    menu=$(click_to_open "$chooser" 255 178 "^menu\$")
    [ -n "$menu" ] || fail "the path drop-down does not open"
    shot drop-down
    # A menu takes a click in its first 250 ms for the end of the one that opened it; a person
    # takes longer than that to choose (a lower bound, however slow the machine).
    sleep 0.3
    click_to_close "$menu" 60 12 || fail "the path drop-down stays"
    expect_chooser_in_front after-drop-down

    # "Select": the chooser ends, the dialog is back on top showing the found folder.
    click_to_close "$chooser" 211 478 || fail "the chooser stays after Select"
    wait_mapped "$dialog" || fail "the install dialog does not come back"
    expect_on_top "$dialog" "the install dialog (after the chooser)" dialog-back

    # Install: the bundle lands in the chosen folder, not in the default one.
    click_in "$dialog" 248 236
    poll test -d "$found/My Plug.vst" || fail "the bundle is not in the chosen folder $found"
    [ ! -e "$vstFolder/My Plug.vst" ] || fail "the bundle went into the default folder"
    shot installed

    kill "$pid" 2>/dev/null
    wait "$pid" 2>/dev/null
    pid=""
    if [ -n "$wm" ]; then kill "$wm" 2>/dev/null; wait "$wm" 2>/dev/null; wm=""; fi
    kill "$xvfb" 2>/dev/null
    wait "$xvfb" 2>/dev/null
    xvfb=""
    rm -rf "$found/My Plug.vst" "$vstFolder/Chosen"
}

run_pass openbox
run_pass bare
echo "PASS"
