#!/usr/bin/env bash
# A scripted game with two watchers: the game on the X display named by DISPLAY, the watchers on
# the one named by WATCH_DISPLAY, at least 2480 pixels wide so that their 1200 x 720 windows sit
# side by side. On a display of its own the game keeps the focus while keys are held in it and
# the watchers come and go. Starts the game (its configuration, from QUORVEX_CONFIG, must turn
# networking on) and a first watcher, releases P in the game, walks the hero right for a second
# and a half, starts a second watcher, photographs the three windows, leaves the first watcher
# with Q, quits the game with Q, photographs the second watcher showing that the game has ended
# and closes it with Q.
#
#   tools/watch_session.sh DUNGEON OUTDIR
#
# The screenshots game.png, watcher1.png, watcher2.png and ended.png and the logs game.log,
# watcher1.log and watcher2.log go to OUTDIR. The exit status is 0 when every step worked and
# every program ended with status 0, else 2.
set -u
if [ $# -ne 2 ] || [ -z "${WATCH_DISPLAY:-}" ]; then
    echo "usage: WATCH_DISPLAY=:N $0 DUNGEON OUTDIR" >&2
    exit 2
fi
dungeon="$(realpath "$1")"
out="$2"
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
mkdir -p "$out"
out="$(realpath "$out")"
cd "$root"
rm -f "$out"/*.png "$out"/*.log
pids=()

fail() {
    echo "watch_session: $*" >&2
    for p in "${pids[@]}"; do
        kill "$p" 2>/dev/null
    done
    wait 2>/dev/null
    exit 2
}

# Waits up to 30 s for a line ending in $2 in the log $1.
wait_for_log() {
    for _ in $(seq 300); do
        grep -q -- "$2\$" "$1" 2>/dev/null && return 0
        sleep 0.1
    done
    return 1
}

# Waits up to 20 s for the process $1 to end, and fails unless it ended with status 0.
wait_for_end() {
    for _ in $(seq 200); do
        kill -0 "$1" 2>/dev/null || break
        sleep 0.1
    done
    kill -0 "$1" 2>/dev/null && fail "$2 did not end"
    wait "$1" || fail "$2 ended with status $?"
}

# The id of a window of the program on display $1 that is not among the further ids given.
new_window() {
    local display="$1"
    shift
    for _ in $(seq 300); do
        for w in $(DISPLAY="$display" xdotool search --onlyvisible --classname "$(basename "$dungeon")" 2>/dev/null); do
            case " $* " in
            *" $w "*) ;;
            *)
                echo "$w"
                return 0
                ;;
            esac
        done
        sleep 0.1
    done
    return 1
}

# shoot DISPLAY WINDOW FILE
shoot() {
    import -display "$1" -window "$2" "$out/$3" || fail "cannot take $3"
    echo "watch_session: $out/$3"
}

# key_in DISPLAY WINDOW KEY
key_in() {
    DISPLAY="$1" timeout 10 xdotool windowfocus --sync "$2" || fail "cannot focus window $2"
    DISPLAY="$1" xdotool key --delay 50 "$3"
}

QUORVEX_LOG="$out/game.log" "$dungeon" &
game=$!
pids+=("$game")
wait_for_log "$out/game.log" "About to run" || fail "the game did not start"
port="$(sed -n 's/.*Watchers can join on port \([0-9]*\)$/\1/p' "$out/game.log")"
[ -n "$port" ] || fail "the game does not accept watchers; is networking on?"
game_window="$(new_window "$DISPLAY")" || fail "the game's window did not appear"

DISPLAY="$WATCH_DISPLAY" QUORVEX_LOG="$out/watcher1.log" "$dungeon" --watch "127.0.0.1:$port" &
watcher1=$!
pids+=("$watcher1")
wait_for_log "$out/watcher1.log" "About to watch 127.0.0.1 port $port" || fail "the first watcher did not start"
window1="$(new_window "$WATCH_DISPLAY")" || fail "the first watcher's window did not appear"
DISPLAY="$WATCH_DISPLAY" xdotool windowmove --sync "$window1" 0 0

key_in "$DISPLAY" "$game_window" p
wait_for_log "$out/game.log" "DONE CREATING LEVEL GEOMETRY" || fail "P did not start a floor"
sleep 1
xdotool keydown Right
sleep 1.5
xdotool keyup Right

DISPLAY="$WATCH_DISPLAY" QUORVEX_LOG="$out/watcher2.log" "$dungeon" --watch "127.0.0.1:$port" &
watcher2=$!
pids+=("$watcher2")
wait_for_log "$out/watcher2.log" "About to watch 127.0.0.1 port $port" || fail "the second watcher did not start"
window2="$(new_window "$WATCH_DISPLAY" "$window1")" || fail "the second watcher's window did not appear"
DISPLAY="$WATCH_DISPLAY" xdotool windowmove --sync "$window2" 1280 0
sleep 1.5
shoot "$DISPLAY" "$game_window" game.png
shoot "$WATCH_DISPLAY" "$window1" watcher1.png
shoot "$WATCH_DISPLAY" "$window2" watcher2.png

key_in "$WATCH_DISPLAY" "$window1" q
wait_for_end "$watcher1" "the first watcher"
sleep 1
kill -0 "$game" 2>/dev/null || fail "the game ended with the first watcher"
kill -0 "$watcher2" 2>/dev/null || fail "the second watcher ended with the first"

key_in "$DISPLAY" "$game_window" q
wait_for_end "$game" "the game"
wait_for_log "$out/watcher2.log" "The game has ended." || fail "the second watcher did not see the end"
sleep 1
shoot "$WATCH_DISPLAY" "$window2" ended.png
key_in "$WATCH_DISPLAY" "$window2" q
wait_for_end "$watcher2" "the second watcher"
exit 0
