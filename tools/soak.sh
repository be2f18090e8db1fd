#!/usr/bin/env bash
# A long, scripted play of the dungeon, not part of ./test.sh. A player pressing random keys,
# weighted toward play (walking, running, attacking, long walks that find the stairs), plays the
# sanitizer build (build-asan) for PLAY seconds in all, one game per run: after game over it
# quits, and the next game is a new start of the program. Every run must end with status 0 and
# no sanitizer report; the game's resident memory is printed each minute. Then it plays the plain
# build (build) under valgrind's memcheck for VALGRIND seconds, which must report no error (the
# suppressions in tools/valgrind.supp name only system libraries).
#
#   tools/soak.sh [PLAY [VALGRIND]]     defaults: 600 and 120 seconds
#
# Runs on an X server of its own, started with the server's defaults, and writes its logs to
# soak/ in the project's root. Exits 0 when every run passed, 1 otherwise.
set -u
source "$(dirname "${BASH_SOURCE[0]}")/../scripts/common.sh"
play_seconds="${1:-600}"
valgrind_seconds="${2:-120}"
out="$root/soak"
rm -rf "$out"
mkdir -p "$out"
cd "$root"
for dir in build build-asan; do
    [ -x "$root/$dir/dungeon" ] || { echo "soak: build $dir/dungeon first (./test.sh builds both)" >&2; exit 2; }
done
packages+=(valgrind)
install_missing || exit 2

kill_on_exit
start_display_server || { echo "soak: Xvfb did not start" >&2; exit 2; }

export ALSOFT_DRIVERS=null
export QUORVEX_CONFIG="$out/qv-config.txt"
sed 's/^random_seed:.*/random_seed:0,/' "$root/qv-config.txt" >"$QUORVEX_CONFIG"
# The X, OpenGL and sound libraries' own leaks are named in the suppressions; the game's are not.
# The OpenGL driver is unloaded before the leak checks, which would then report its leaks from an
# unknown module: loaded first, it stays. The software rasteriser runs without threads of its own.
driver_preload="libGLX_mesa.so.0 /usr/lib/x86_64-linux-gnu/dri/swrast_dri.so libXcursor.so.1"
export LP_NUM_THREADS=0
export ASAN_OPTIONS="detect_leaks=1:verify_asan_link_order=0"
export UBSAN_OPTIONS="print_stacktrace=1"
export LSAN_OPTIONS="suppressions=$root/tests/lsan.supp:print_suppressions=0"

# Seconds since the epoch, with fractions.
now() { date +%s.%N; }
# $1 - $2, seconds.
elapsed() { awk "BEGIN { print $1 - $2 }"; }
# Is $1 < $2?
less() { awk "BEGIN { exit !($1 < $2) }"; }

# A random whole number in [0, $1).
random() { echo $((RANDOM % $1)); }

arrows=(Left Right Up Down)

# One move of the player, chosen by weight: walk 40, run 15, attack 25, long walk 15, rest 5.
move() {
    local pick arrow hold
    pick="$(random 100)"
    arrow="${arrows[$(random 4)]}"
    if [ "$pick" -lt 40 ]; then
        hold="0.$((2 + $(random 7)))"
        xdotool keydown "$arrow"; sleep "$hold"; xdotool keyup "$arrow"
    elif [ "$pick" -lt 55 ]; then
        hold="0.$((2 + $(random 7)))"
        xdotool keydown space keydown "$arrow"; sleep "$hold"; xdotool keyup "$arrow" keyup space
    elif [ "$pick" -lt 80 ]; then
        xdotool key a
        sleep 0.1
    elif [ "$pick" -lt 95 ]; then
        hold="$((1 + $(random 3)))"
        xdotool keydown "$arrow"; sleep "$hold"; xdotool keyup "$arrow"
    else
        sleep 0.5
    fi
}

# Resident memory of the game, kB.
rss() { ps -o rss= -p "$pid" 2>/dev/null | tr -d ' '; }

# play DUNGEON LOG SECONDS WRAPPER...: starts the game through WRAPPER (env or valgrind, with
# their arguments), plays one game of at most SECONDS, quits and sets $status and $played
# (seconds of play).
play() {
    local dungeon="$1" log="$2" seconds="$3" start wait_steps=600 window
    shift 3
    rm -f "$log"
    QUORVEX_LOG="$log" "$@" "$dungeon" 2>"$log.stderr" &
    pid=$!
    # Under valgrind the start takes much longer.
    case " $* " in *" valgrind "*) wait_steps=6000 ;; esac
    for _ in $(seq "$wait_steps"); do
        grep -q "About to run" "$log" 2>/dev/null && break
        kill -0 "$pid" 2>/dev/null || break
        sleep 0.1
    done
    played=0
    if grep -q "About to run" "$log" 2>/dev/null; then
        window="$(timeout 60 xdotool search --sync --onlyvisible --classname dungeon | head -n 1)"
        [ -n "$window" ] && timeout 10 xdotool windowfocus --sync "$window"
        xdotool key p
        start="$(now)"
        while less "$(elapsed "$(now)" "$start")" "$seconds" && kill -0 "$pid" 2>/dev/null; do
            grep -q "GAME IS OVER" "$log" && break
            move
            # Each minute of play in all, whichever run it falls in.
            if ! less "$(awk "BEGIN { print $total + $(elapsed "$(now)" "$start") }")" "$((minute * 60))"; then
                echo "    minute $minute of play: resident memory $(rss) kB"
                minute=$((minute + 1))
            fi
        done
        played="$(elapsed "$(now)" "$start")"
        echo "    after $(printf '%.0f' "$played") s: resident memory $(rss) kB"
        sleep 1
        xdotool key q
    fi
    for _ in $(seq 600); do
        kill -0 "$pid" 2>/dev/null || break
        sleep 0.1
    done
    kill -0 "$pid" 2>/dev/null && kill "$pid"
    status=0
    wait "$pid" || status=$?
    pid=""
}

failed=0
echo "== $play_seconds s of play in the sanitizer build ($DISPLAY)"
total=0   # seconds of play so far
minute=1  # the next minute of play to report
run=0
while less "$total" "$play_seconds"; do
    run=$((run + 1))
    log="$out/run$run.log"
    echo "run $run"
    play "$root/build-asan/dungeon" "$log" "$(elapsed "$play_seconds" "$total")" env LD_PRELOAD="$driver_preload"
    total="$(awk "BEGIN { print $total + $played }")"
    floors="$(grep -c "DONE CREATING LEVEL GEOMETRY" "$log")"
    reports="$(grep -c -E "Sanitizer|runtime error:" "$log.stderr")"
    echo "    status $status, $(printf '%.0f' "$played") s played, floors $floors, kills" \
        "$(grep -c "Deleting a monster from the list" "$log"), game over: $(grep -c "GAME IS OVER" "$log")," \
        "sanitizer reports $reports"
    if [ "$status" -ne 0 ] || [ "$reports" -ne 0 ] || [ "$played" = 0 ]; then
        failed=1
        echo "    FAILED: see $log and $log.stderr"
        [ "$played" = 0 ] && break
    fi
done
echo "$run runs, $(printf '%.0f' "$total") s of play"

echo "== $valgrind_seconds s of play under valgrind's memcheck"
log="$out/valgrind.log"
total=0
minute=1
play "$root/build/dungeon" "$log" "$valgrind_seconds" env LD_PRELOAD="$driver_preload" valgrind --tool=memcheck \
    --leak-check=full --errors-for-leak-kinds=definite --suppressions="$root/tools/valgrind.supp" --num-callers=30 \
    --log-file="$out/memcheck.txt"
summary="$(grep "ERROR SUMMARY" "$out/memcheck.txt")"
echo "    status $status, $(printf '%.0f' "$played") s played; ${summary#==*== }"
if [ "$status" -ne 0 ] || ! grep -q "ERROR SUMMARY: 0 errors" "$out/memcheck.txt"; then
    failed=1
    echo "    FAILED: see $out/memcheck.txt"
fi
exit "$failed"
