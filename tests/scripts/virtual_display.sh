# Sourced by the end-to-end scripts. start_virtual_display starts Xvfb on a display it picks
# itself (a fixed or random number can collide with another test's display) and sets $display and
# $xvfb once it accepts connections.
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

# Prints the id of the program's 785 x 480 main window once it shows, waiting up to $1 tenths of
# a second; prints nothing when none shows.
find_main_window() {
    local candidate
    for _ in $(seq "$1"); do
        for candidate in $(xdotool search --name "^Quorvelan Plug-in Manager v3\\.22\$" 2>/dev/null); do
            if xdotool getwindowgeometry "$candidate" 2>/dev/null | grep -q "Geometry: 785x480"; then
                echo "$candidate"
                return 0
            fi
        done
        sleep 0.1
    done
}
