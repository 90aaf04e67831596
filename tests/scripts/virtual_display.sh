# Sourced by the end-to-end scripts: starts Xvfb on a display it picks itself (a fixed or random
# number can collide with another test's display) and sets $display and $xvfb once it accepts
# connections.
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
