# Sourced after x_session.sh: the input checks shared by the SDL and the
# Wine runs. The caller sets run_probe (starts window_probe in the
# background, stdout to $1, and sets pid), run_demo (the same for the demo
# program), window_wait (seconds to wait for a window) and close_bound.

# The flood sender, built here: it needs nothing of the project.
cc -O2 -o "$work/x_flood" "$(dirname "${BASH_SOURCE[0]}")/x_flood.c" -lXtst -lX11 ||
    { echo "cannot build x_flood"; exit 1; }

client_origin() {
    xwininfo -id "$1" | awk '/Absolute upper-left X/ {x=$4} /Absolute upper-left Y/ {y=$4} END {print x, y}'
}

# Waits up to 3 s for a line of $probe_out, after the first $mark lines, that is exactly $1.
expect_line() {
    local tries=0
    until tail -n +$((mark + 1)) "$probe_out" | tr -d '\r' | grep -qx -- "$1"; do
        sleep 0.05
        tries=$((tries + 1))
        if [[ $tries -gt 60 ]]; then
            fail "$2: no line '$1' (got: $(tail -n +$((mark + 1)) "$probe_out" | tr -d '\r' | tr '\n' ';' | cut -c1-300))"
            return
        fi
    done
}
remember() { mark=$(wc -l <"$probe_out"); }

# The window's state after keys, pointer moves, clicks, the wheel and a focus change.
check_input_states() {
    probe_out="$work/probe.out"
    run_probe "$probe_out"
    local id
    id=$(find_window "$window_wait")
    [[ -n "$id" ]] || { fail "window_probe opened no window titled Window"; return; }
    read -r cx cy < <(client_origin "$id")
    xdotool windowactivate --sync "$id" 2>/dev/null
    sleep 0.5
    mark=0
    expect_line ready "start"

    local sent name
    for sent in a:A z:Z 5:5 F12:F12 Left:Left space:Space Return:Enter BackSpace:Backspace Tab:Tab Escape:Escape; do
        IFS=: read -r keysym name <<<"$sent"
        remember
        xdotool key "$keysym"
        expect_line "key $name pressed" "a press of $keysym"
    done
    for sent in shift:Shift ctrl:Control alt:Alt Up:Up; do
        IFS=: read -r keysym name <<<"$sent"
        remember
        xdotool keydown "$keysym"
        expect_line "key $name down" "$keysym held"
        remember
        xdotool keyup "$keysym"
        expect_line "key $name up" "$keysym let go"
    done

    remember
    xdotool mousemove $((cx + 37)) $((cy + 54))
    expect_line "pointer 37 54 inside" "the pointer over the window"
    remember
    xdotool mousemove $((cx + 399)) $((cy + 299))
    expect_line "pointer 399 299 inside" "the pointer on the last pixel"
    remember
    xdotool mousemove $((cx + 450)) $((cy + 100))
    # Where it is outside, Win32 does not say; only that it left.
    expect_line "pointer [0-9]* [0-9]* outside" "the pointer right of the window"
    xdotool mousemove $((cx + 100)) $((cy + 100))
    for sent in 1:Left 2:Middle 3:Right; do
        IFS=: read -r button name <<<"$sent"
        remember
        xdotool click "$button"
        expect_line "button $name pressed" "a click of button $button"
    done
    remember
    xdotool mousedown 1
    expect_line "button Left down" "button 1 held"
    remember
    xdotool mouseup 1
    expect_line "button Left up" "button 1 let go"
    remember
    xdotool click 4
    expect_line "wheel 1" "the wheel turned away"
    remember
    xdotool click 5
    expect_line "wheel -1" "the wheel turned back"

    # A key held while another window takes the focus does not stay down.
    remember
    xdotool keydown shift
    expect_line "key Shift down" "shift held"
    remember  # the window manager may give the new window the focus at once
    xmessage -name other -geometry +600+500 "another window" 2>/dev/null &
    local other_pid=$! other=""
    for _ in $(seq 1 50); do
        other=$(xdotool search --onlyvisible --classname other 2>/dev/null | head -n1)
        [[ -n "$other" ]] && break
        sleep 0.1
    done
    xdotool windowactivate --sync "$other" 2>/dev/null
    expect_line "key Shift up" "shift held through a change of focus"
    xdotool keyup shift
    kill "$other_pid" 2>/dev/null

    wmctrl -c Window
    wait_exit "$pid" 10
    [[ "$exit_code" == "0" ]] || fail "window_probe gave '$exit_code' after wmctrl -c, not 0"
}

# Waits for $pid to end after a close; prints and checks the time it took.
timed_close() {
    local what=$1 bound=${2:-$close_bound} t0 t1
    t0=$(date +%s%N)
    wmctrl -c Window
    while kill -0 "$pid" 2>/dev/null && [[ $(($(date +%s%N) - t0)) -lt 30000000000 ]]; do sleep 0.005; done
    t1=$(date +%s%N)
    wait_exit "$pid" 1
    local ms=$(((t1 - t0) / 1000000))
    echo "$what: closed after $ms ms, exit code $exit_code"
    [[ "$exit_code" == "0" ]] || fail "$what: exit code '$exit_code', not 0"
    [[ $ms -le $bound ]] || fail "$what: the close took $ms ms, more than $bound"
}

# 80,000 pointer motions in and out of the window, and 20,000 key presses,
# each followed by a close through the window manager.
check_floods() {
    local id kind
    for kind in motion keys; do
        run_demo "$work/demo.out"
        id=$(find_window "$window_wait")
        [[ -n "$id" ]] || { fail "the program opened no window for the $kind flood"; continue; }
        read -r cx cy < <(client_origin "$id")
        xdotool windowactivate --sync "$id" 2>/dev/null
        sleep 1
        if [[ $kind == motion ]]; then
            "$work/x_flood" motion 80000 $((cx - 50)) $((cy - 50)) 500 500
        else
            "$work/x_flood" keys 20000 a
        fi
        if [[ $kind == motion ]]; then
            timed_close "the program after the $kind flood"
        else
            timed_close "the program after the $kind flood" "${keys_close_bound:-$close_bound}"
        fi
    done

    # The pointer where the flood left it.
    probe_out="$work/probe-flood.out"
    run_probe "$probe_out"
    id=$(find_window "$window_wait")
    [[ -n "$id" ]] || { fail "window_probe opened no window for the flood"; return; }
    read -r cx cy < <(client_origin "$id")
    xdotool windowactivate --sync "$id" 2>/dev/null
    sleep 1
    "$work/x_flood" motion 80000 $((cx + 10)) $((cy + 10)) 300 200
    mark=0
    sleep 0.3
    local last
    last=$(tr -d '\r' <"$probe_out" | grep '^pointer' | tail -n1)
    [[ "$last" == "pointer 309 209 inside" ]] || fail "after the flood the pointer reads '$last', not 'pointer 309 209 inside'"
    timed_close "window_probe after the motion flood"
}
