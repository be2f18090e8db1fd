#!/usr/bin/env bash
# Plays the example games and checks what they report in their logs.
#
#   tests/example_games.sh CASE BUILD_DIR
#
# CASE is "first" (typed keys in a window on an X server of its own), "rocks" or "pursuit"
# (headless, a few hundred passes), or "missing" (every example started without its data).
set -u
case_name="$1"
build="$(realpath "$2")"
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
export ALSOFT_DRIVERS=null
export QUORVEX_LOG="$work/game.log"

fail() {
    echo "FAIL: $*" >&2
    [ -f "$QUORVEX_LOG" ] && sed 's/^/  log: /' "$QUORVEX_LOG" >&2
    exit 1
}

# Runs example $1 headless in its folder for $2 passes; the exit status is the game's.
headless() {
    printf 'headless:true,\nframe_time:2,\nrandom_seed:7,\nquit_after:%s,\n' "$2" >"$work/config.txt"
    (cd "$root/examples/$1" && QUORVEX_CONFIG="$work/config.txt" timeout 60 "$build/examples/$1/$3" 2>/dev/null)
}

# The numbers of the log's last line that starts with game text $1, one per line.
numbers() {
    grep -a "$1" "$QUORVEX_LOG" | tail -1 | sed 's/^[0-9:]* *[0-9]* //' | grep -o -- '-\?[0-9.]\+'
}

case "$case_name" in
first)
    # A window on a server of our own: keys typed here reach no one else's window. In the
    # sanitizer build the OpenGL driver leaves memory behind at exit that no suppression can name.
    export ASAN_OPTIONS="${ASAN_OPTIONS:-}:detect_leaks=0"
    cat >"$work/play.sh" <<'PLAY'
cd "$1/examples/first"
timeout 60 "$2/examples/first/first_game" 2>"$3" &
game=$!
trap 'kill $game 2>/dev/null' EXIT
window="$(timeout 20 xdotool search --sync --onlyvisible --classname first_game | head -1)"
[ -n "$window" ] && xdotool windowfocus --sync "$window" || exit 3
sleep 0.5
# From (20, 7): five steps right, then left into the wall at x 5 (19 steps, 6 refused), 3 down.
xdotool key --delay 40 Right Right Right Right Right
for _ in $(seq 25); do xdotool key --delay 40 Left; done
xdotool key --delay 40 Down Down Down
sleep 0.5
xdotool key q
wait "$game"
status=$?
trap - EXIT
exit $status
PLAY
    xvfb-run -a -s "-screen 0 1280x1024x24" bash "$work/play.sh" "$root" "$build" "$work/stderr.txt"
    status=$?
    [ "$status" -eq 0 ] || fail "first_game exited with $status: $(tail -20 "$work/stderr.txt")"
    grep -aq 'first_game: the walker took 27 steps and stands at (6, 10)$' "$QUORVEX_LOG" ||
        fail "the walker should have taken 27 steps to (6, 10)"
    ;;
rocks)
    headless rocks 300 rock_run || fail "rock_run exited with $?"
    read -r made shot escaped flying fired bullets < <(numbers 'rock_run: .* rocks made' | tr '\n' ' ')
    read -r shields laps ship view < <(numbers 'rock_run: shields' | tr '\n' ' ')
    # A rock is made every third pass.
    [ "$made" -ge 99 ] && [ "$made" -le 101 ] || fail "$made rocks made in 300 passes"
    [ "$shot" -gt 0 ] && [ "$escaped" -gt 0 ] || fail "no rock shot ($shot) or escaped ($escaped)"
    # Every rock made is still flying, or was deleted: shot, out of the world, or into the ship.
    [ "$made" -eq $((shot + escaped + flying + 5 - shields)) ] ||
        fail "$made rocks made, but $shot shot + $escaped escaped + $flying flying + $((5 - shields)) hits"
    # Bullets are deleted once past the view: only the last few of the 50 fired still fly.
    [ "$fired" -ge 49 ] && [ "$bullets" -le 10 ] || fail "$fired bullets fired, $bullets still flying"
    # The view followed the ship, which flew 0.4 cells a pass from x 5.
    awk -v s="$ship" -v v="$view" 'BEGIN { exit !(s > 120 && v > 40 && s > v && s < v + 80) }' ||
        fail "ship at x $ship, view from x $view"
    ;;
pursuit)
    headless pursuit 900 pursuit || fail "pursuit exited with $?"
    [ "$(grep -ac 'pursuit: hunter [0-9]* roams$' "$QUORVEX_LOG")" -ge 3 ] || fail "three hunters should roam at first"
    grep -aq 'pursuit: hunter [0-9]* hunts$' "$QUORVEX_LOG" || fail "no hunter hunted"
    grep -aq 'pursuit: hunter [0-9]* found a way of [0-9]* cells$' "$QUORVEX_LOG" || fail "no path found"
    caught="$(numbers 'caught the runner after' | tail -1)"
    [ -n "$caught" ] && [ "$caught" -lt 900 ] || fail "no hunter caught the runner within 900 passes"
    ;;
missing)
    for game in first/first_game rocks/rock_run pursuit/pursuit; do
        name="${game%%/*}"
        # From another folder, and from a copy of the game's folder without one of its files.
        mkdir -p "$work/$name/elsewhere"
        cp -r "$root/examples/$name" "$work/$name/copy"
        missing_file="$(cd "$work/$name/copy" && ls sprites/* | tail -1)"
        rm "$work/$name/copy/$missing_file"
        for run in "elsewhere:qv-config.txt" "copy:$missing_file"; do
            folder="${run%%:*}"
            rm -f "$QUORVEX_LOG"
            (cd "$work/$name/$folder" && timeout 20 "$build/examples/$game" 2>/dev/null)
            status=$?
            [ "$status" -eq 1 ] || fail "$game in $folder exited with $status"
            grep -aq "cannot read '${run#*:}'" "$QUORVEX_LOG" || fail "$game in $folder did not name ${run#*:}"
        done
    done
    ;;
*)
    echo "usage: $0 first|rocks|pursuit|missing BUILD_DIR" >&2
    exit 2
    ;;
esac
echo "ok: $case_name"
