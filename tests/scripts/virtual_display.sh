# Sourced by the end-to-end scripts, which run inside tests/scripts/isolated.sh. start_virtual_display
# starts Xvfb on a display it picks itself and sets $display and $xvfb once it accepts connections;
# start_window_manager then starts openbox on it. The caller stops both ($xvfb, $window_manager).
# start_standin starts the stand-in server ($standin) on $port and sets $server.
start_virtual_display() {
    local number
    exec 3<> <(:)
    Xvfb -displayfd 3 -screen 0 1280x800x24 -nolisten tcp >/dev/null 2>&1 &
    xvfb=$!
    if ! read -r -t 60 number <&3; then
        echo "FAIL: no virtual display"
        exit 1
    fi
    exec 3>&-
    display=":$number"
}

# Every wait for the program is a poll bounded by this many seconds, never a fixed sleep: on a
# loaded machine a window may take tens of seconds to show.
wait_seconds="${QUORVELAN_E2E_WAIT:-90}"

# Runs the command every 0.1 s until it succeeds (true) or $wait_seconds have passed (false).
poll() {
    local end=$((SECONDS + wait_seconds))
    until "$@"; do
        [ "$SECONDS" -lt "$end" ] || return 1
        sleep 0.1
    done
}

# Prints the id of the program's main window when it is up at 785 x 480; false otherwise.
main_window_now() {
    local candidate
    for candidate in $(xdotool search --name "^Quorvelan Plug-in Manager v3\\.22\$" 2>/dev/null); do
        if xdotool getwindowgeometry "$candidate" 2>/dev/null | grep -q "Geometry: 785x480"; then
            echo "$candidate"
            return 0
        fi
    done
    return 1
}

# Prints the id of the program's 785 x 480 main window once it shows; nothing when none shows.
find_main_window() {
    poll main_window_now
}

# The mean brightness (0 to 1) of a rectangle of a window's content, captured now.
window_brightness() { # window x y width height
    import -window "$1" -crop "$4x$5+$2+$3" +repage -colorspace gray -format "%[fx:mean]" info: 2>/dev/null
}

# True when the rectangle's brightness compares with the value as asked (lt or gt).
brightness_is() { # window x y width height lt|gt value
    local value
    value=$(window_brightness "$1" "$2" "$3" "$4" "$5")
    [ -n "$value" ] && awk -v v="$value" -v limit="$7" -v op="$6" 'BEGIN { exit !((op == "lt") ? (v < limit) : (v > limit)) }'
}

# The welcome page, painted: its dark background beside the logo (a window not painted yet is
# white there) and its white language box.
welcome_page_shows() { # window
    brightness_is "$1" 680 90 60 40 lt 0.3 && brightness_is "$1" 320 408 120 14 gt 0.8
}

# The login page: its e-mail editor, empty.
login_page_shows() { # window
    brightness_is "$1" 70 245 200 14 gt 0.99
}

# A fingerprint of what a window shows now.
window_picture() {
    import -window "$1" rgb:- 2>/dev/null | md5sum
}

picture_differs() { # window fingerprint
    [ "$(window_picture "$1")" != "$2" ]
}

# Prints the id of a shown window whose whole title matches; false when there is none now. (A
# window that is never shown may carry the name for a moment while the program builds it.)
shown_window() { # title pattern
    local id
    id=$(xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | head -1)
    [ -n "$id" ] && echo "$id"
}

# Waits for a shown window whose whole title matches and prints its id; false when none comes.
wait_for_shown_window() { # title pattern
    poll shown_window "$1"
}

# Sets originX and originY to the screen position of a window's content, inside whatever frame the
# window manager draws around it (xdotool getwindowgeometry counts the frame's offset twice).
window_origin() {
    eval "$(xwininfo -id "$1" 2>/dev/null | sed -n 's/^ *Absolute upper-left X: *\(-\{0,1\}[0-9]*\)$/originX=\1/p; s/^ *Absolute upper-left Y: *\(-\{0,1\}[0-9]*\)$/originY=\1/p')"
}

# Starts a window manager (openbox) on $display, as every desktop has one, and sets $window_manager
# once it manages the display. Without one, close requests need atoms nobody created, and stacking
# and repainting after a modal window differ from a customer's desktop.
start_window_manager() {
    local log attempt
    log=$(mktemp)
    for attempt in 1 2 3; do
        DISPLAY="$display" openbox --sm-disable >"$log" 2>&1 &
        window_manager=$!
        if ! poll window_manager_settled; then
            # Alive but not managing the display: a second one beside it would fight it for it.
            echo "FAIL: openbox did not manage $display within $wait_seconds s: $(tail -3 "$log")"
            kill "$window_manager" 2>/dev/null
            rm -f "$log"
            exit 1
        fi
        if window_manager_manages; then
            rm -f "$log"
            return 0
        fi
        wait "$window_manager" 2>/dev/null
        echo "openbox ended at start (attempt $attempt): $(tail -3 "$log")"
    done
    rm -f "$log"
    echo "FAIL: no window manager on $display"
    exit 1
}

window_manager_manages() {
    xprop -display "$display" -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q "window id # 0x"
}

# True once the window manager manages the display or has ended.
window_manager_settled() {
    window_manager_manages || ! kill -0 "$window_manager" 2>/dev/null
}

# Prints the title of the window in front of all others on $DISPLAY: the last top-level window of
# the window manager's stacking order (bottom to top) that is mapped; prints nothing when none is.
topmost_window_title() {
    local id top=""
    for id in $(xprop -root _NET_CLIENT_LIST_STACKING 2>/dev/null | sed -n 's/^.*# //p' | tr ',' ' '); do
        xwininfo -id "$id" 2>/dev/null | grep -q "Map State: IsViewable" && top="$id"
    done
    [ -n "$top" ] && xdotool getwindowname "$top"
}

# Waits until the window so named is in front of all others; $front holds the title of the one in
# front.
is_in_front() {
    front=$(topmost_window_title)
    [ "$front" = "$1" ]
}

wait_until_in_front() {
    poll is_in_front "$1"
}

# Starts the stand-in server ($standin) on $port serving the folder $1, logging to $2 (emptied
# first), with any further options; sets $server. False when it does not report that it listens
# (it ends at once when the port is taken).
start_standin() {
    local root=$1 log=$2
    shift 2
    # Emptied here, not by the redirection below: that happens in the child, which a first look at
    # the log could come before, finding the line of the server started before this one.
    : >"$log"
    "$standin" --port "$port" --root "$root" "$@" >>"$log" 2>&1 &
    server=$!
    poll standin_listens "$log" && grep -q "^Stand-in server on " "$log"
}

standin_listens() {
    grep -q "^Stand-in server on " "$1" 2>/dev/null || ! kill -0 "$server" 2>/dev/null
}
