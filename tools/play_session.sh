#!/usr/bin/env bash
# A short scripted game on the X display named by DISPLAY, for machines where nobody can play:
# starts the game in the project's root, photographs the title, releases P, photographs the first
# floor, holds the right arrow for a second and a half, photographs the hero after its walk and
# quits with Q.
#
#   tools/play_session.sh DUNGEON OUTDIR
#
# DUNGEON is the game's executable and OUTDIR the folder the screenshots title.png, floor.png and
# walked.png go to. The game reads QUORVEX_CONFIG and QUORVEX_LOG as usual. The exit status is
# the game's, or 2 when a step of the session failed (the game is then killed).
set -u
if [ $# -ne 2 ]; then
    echo "usage: $0 DUNGEON OUTDIR" >&2
    exit 2
fi
dungeon="$(realpath "$1")"
out="$2"
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
log="${QUORVEX_LOG:-$root/quorvex.log}"
mkdir -p "$out"
out="$(realpath "$out")"
cd "$root"

# A log left by an earlier run would be taken for this one's.
rm -f "$log"
"$dungeon" &
pid=$!

fail() {
    echo "play_session: $*" >&2
    kill "$pid" 2>/dev/null
    wait "$pid" 2>/dev/null
    exit 2
}

# Waits up to 30 s for a log line ending in $1.
wait_for_log() {
    for _ in $(seq 300); do
        grep -q -- "$1\$" "$log" 2>/dev/null && return 0
        kill -0 "$pid" 2>/dev/null || return 1
        sleep 0.1
    done
    return 1
}

shoot() {
    import -window "$window" "$out/$1" || fail "cannot take $1"
    echo "play_session: $out/$1"
}

wait_for_log "About to run" || fail "the game did not start; see $log"
# The window library names the window's class after the executable.
window="$(timeout 30 xdotool search --sync --onlyvisible --classname "$(basename "$dungeon")" | head -n 1)"
[ -n "$window" ] || fail "the game's window did not appear"
# A few frames, so that the title has been presented.
sleep 1
shoot title.png

timeout 10 xdotool windowfocus --sync "$window" || fail "cannot focus the game's window"
xdotool key --delay 50 p
wait_for_log "DONE CREATING LEVEL GEOMETRY" || fail "P did not start a floor"
sleep 1
shoot floor.png

xdotool keydown Right
sleep 1.5
xdotool keyup Right
sleep 0.5
shoot walked.png

xdotool key --delay 50 q
for _ in $(seq 200); do
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.1
done
kill -0 "$pid" 2>/dev/null && fail "Q did not end the game"
wait "$pid"
