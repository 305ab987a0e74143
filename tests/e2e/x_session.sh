# Sourced by the end-to-end scripts: a private X server with a window
# manager, and helpers to find and look at the program's window.

work=$(mktemp -d)
x_pids=()
cleanup() {
    for pid in "${x_pids[@]}"; do kill "$pid" 2>/dev/null; done
    wait 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT

failures=0
fail() {
    echo "FAIL: $*"
    failures=$((failures + 1))
}

start_x() {
    exec {fd}<>"$work/display"
    Xvfb -displayfd "$fd" -screen 0 1024x768x24 -nolisten tcp >"$work/xvfb.log" 2>&1 &
    x_pids+=($!)
    local tries=0
    until [[ -s "$work/display" ]]; do
        sleep 0.1
        tries=$((tries + 1))
        if [[ $tries -gt 100 ]]; then echo "Xvfb did not start: $(cat "$work/xvfb.log")"; exit 1; fi
    done
    export DISPLAY=":$(head -n1 "$work/display")"
    openbox >"$work/openbox.log" 2>&1 &
    x_pids+=($!)
    until wmctrl -m >/dev/null 2>&1; do sleep 0.1; done
}

# The id of the window titled "Window", waiting up to $1 seconds for it.
find_window() {
    local limit=$(($1 * 10)) tries=0 id=""
    while [[ -z "$id" && $tries -lt $limit ]]; do
        id=$(xdotool search --onlyvisible --name '^Window$' 2>/dev/null | head -n1)
        [[ -z "$id" ]] && sleep 0.1
        tries=$((tries + 1))
    done
    echo "$id"
}

# Waits up to $2 seconds for process $1 to end; sets exit_code to its exit
# code, or to "running" (and ends it) if it did not end in time.
wait_exit() {
    local pid=$1 limit=$(($2 * 10)) tries=0
    while kill -0 "$pid" 2>/dev/null && [[ $tries -lt $limit ]]; do
        sleep 0.1
        tries=$((tries + 1))
    done
    if kill -0 "$pid" 2>/dev/null; then
        exit_code=running
        kill "$pid" 2>/dev/null
        wait "$pid" 2>/dev/null
    else
        wait "$pid"
        exit_code=$?
    fi
}

# "R G B" of pixel (x, y) of a PNG.
pixel_of() {
    convert "$1" -depth 8 -crop "1x1+$2+$3" +repage -format '%[fx:int(255*r+0.5)] %[fx:int(255*g+0.5)] %[fx:int(255*b+0.5)]' info:
}

finish() {
    if [[ $failures -ne 0 ]]; then
        echo "$failures checks failed"
        exit 1
    fi
    echo "$1: all checks passed"
}
