#!/usr/bin/env bash
# A scripted game for machines where nobody can play: starts the game in the project's root and
# plays a list of actions in its window, photographing it on the way, then waits for it to end.
#
#   tools/play_session.sh DUNGEON OUTDIR [ACTION...]
#
# DUNGEON is the game's executable and OUTDIR the folder the screenshots go to. The game reads
# QUORVEX_CONFIG and QUORVEX_LOG as usual, and gets the words of DUNGEON_ARGS as its options
# (for example "--record session.txt"). Without DISPLAY the session starts an X server of its
# own (Xvfb) and stops it at the end. Actions, in order (KEY as xdotool names keys, TEXT the end
# of a log line with "_" standing for spaces, N how many such lines the log must hold):
#
#   shot:NAME                 saves the window as OUTDIR/NAME.png
#   key:KEY                   types KEY
#   sleep:SECONDS             waits
#   hold:KEY:SECONDS          holds KEY down for SECONDS
#   wait:N:TEXT               waits up to 30 s for the log line
#   holduntil:KEY:N:TEXT      holds KEY down until the log line comes (up to 30 s)
#   tapuntil:KEY:N:TEXT       types KEY every 0.15 s until the log line comes (up to 30 s)
#
# Without actions it photographs the title (title.png), releases P, photographs the first floor
# (floor.png), holds the right arrow for a second and a half, photographs the hero after its
# walk (walked.png) and quits with Q. The exit status is the game's, or 2 when an action failed
# (the game is then killed).
set -u
if [ $# -lt 2 ]; then
    echo "usage: $0 DUNGEON OUTDIR [ACTION...]" >&2
    exit 2
fi
dungeon="$(realpath "$1")"
out="$2"
shift 2
actions=("$@")
if [ ${#actions[@]} -eq 0 ]; then
    actions=(shot:title key:p wait:1:DONE_CREATING_LEVEL_GEOMETRY sleep:1 shot:floor hold:Right:1.5 sleep:0.5
        shot:walked key:q)
fi
source "$(dirname "${BASH_SOURCE[0]}")/../scripts/common.sh"
log="${QUORVEX_LOG:-$root/quorvex.log}"
mkdir -p "$out"
out="$(realpath "$out")"
cd "$root"

kill_on_exit

fail() {
    echo "play_session: $*" >&2
    exit 2
}

if [ -z "${DISPLAY:-}" ]; then
    start_display_server || fail "Xvfb did not start"
fi

# A log left by an earlier run would be taken for this one's.
rm -f "$log"
# shellcheck disable=SC2086 # the options are words on purpose
"$dungeon" ${DUNGEON_ARGS:-} &
pid=$!

# How many log lines end in $1.
count_log() {
    local n
    n="$(grep -c -- "$1\$" "$log" 2>/dev/null)"
    echo "${n:-0}"
}

# Waits up to 30 s for $1 log lines ending in $2.
wait_for_log() {
    for _ in $(seq 300); do
        [ "$(count_log "$2")" -ge "$1" ] && return 0
        kill -0 "$pid" 2>/dev/null || return 1
        sleep 0.1
    done
    return 1
}

wait_for_log 1 "About to run" || fail "the game did not start; see $log"
# The window library names the window's class after the executable.
window="$(timeout 30 xdotool search --sync --onlyvisible --classname "$(basename "$dungeon")" | head -n 1)"
[ -n "$window" ] || fail "the game's window did not appear"
timeout 10 xdotool windowfocus --sync "$window" || fail "cannot focus the game's window"
# A few frames, so that the first picture has been presented.
sleep 1

for action in "${actions[@]}"; do
    IFS=: read -r verb first second rest <<<"${action//_/ }"
    case "$verb" in
    shot)
        import -window "$window" "$out/$first.png" || fail "cannot take $first.png"
        echo "play_session: $out/$first.png"
        ;;
    key) xdotool key --delay 50 "$first" ;;
    sleep) sleep "$first" ;;
    hold)
        xdotool keydown "$first"
        sleep "$second"
        xdotool keyup "$first"
        ;;
    wait)
        text="$second${rest:+:$rest}"
        wait_for_log "$first" "$text" || fail "no '$text' in the log"
        ;;
    holduntil)
        xdotool keydown "$first"
        wait_for_log "$second" "$rest"
        found=$?
        xdotool keyup "$first"
        [ $found -eq 0 ] || fail "no '$rest' in the log while $first was held"
        ;;
    tapuntil)
        for _ in $(seq 200); do
            [ "$(count_log "$rest")" -ge "$second" ] && break
            kill -0 "$pid" 2>/dev/null || break
            xdotool key --delay 20 "$first"
            sleep 0.15
        done
        wait_for_log "$second" "$rest" || fail "no '$rest' in the log while $first was typed"
        ;;
    *) fail "unknown action $action" ;;
    esac
done

for _ in $(seq 200); do
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.1
done
kill -0 "$pid" 2>/dev/null && fail "the game did not end"
wait "$pid"
status=$?
pid=""
exit $status
