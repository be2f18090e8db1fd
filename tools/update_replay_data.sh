#!/usr/bin/env bash
# Records anew the dungeon session that the tests keep as a regression (tests/data/dungeon-session*),
# and OVERWRITES the kept recording, its log lines and its last frame. The replay test fails as soon
# as the game plays that session differently; run this only when the game is meant to have changed,
# and look at the differences in git before committing them.
#
#   tools/update_replay_data.sh BUILD_DIR
#
# The session is played in a window on an X server of its own (Xvfb), by tools/play_session.sh:
# seed 227, a fight with the monster of the first room, the walk to the stairs and the second floor.
# The kept log lines are those of a headless replay of the new recording, which must match the
# recorded session's own lines, or nothing is overwritten.
set -eu
if [ $# -ne 1 ]; then
    echo "usage: $0 BUILD_DIR" >&2
    exit 2
fi
build="$(realpath "$1")"
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
data="$root/tests/data"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

printf '%s\n' "headless:false," "random_seed:227," "frame_time:33," "window_horizontal_pixels:1200," \
    "window_vertical_pixels:720," "window_horizontal_chars:80," "window_vertical_chars:24," "font_scale:1.5," \
    "font_file:qv-font.ttf," >"$work/config.txt"
route=(key:p wait:1:DONE_CREATING_LEVEL_GEOMETRY sleep:0.5 holduntil:Down:1:Hero_was_hit
    tapuntil:a:1:Deleting_a_monster_from_the_list sleep:0.3 hold:Right:3 hold:Up:14 hold:Left:5 hold:Right:0.85
    holduntil:Down:2:DONE_CREATING_LEVEL_GEOMETRY sleep:0.5 key:q)
env -u DISPLAY ALSOFT_DRIVERS=null QUORVEX_CONFIG="$work/config.txt" QUORVEX_LOG="$work/live.log" \
    DUNGEON_ARGS="--record $work/session.txt" "$root/tools/play_session.sh" "$build/dungeon" "$work/shots" \
    "${route[@]}"

printf 'headless:true,\n' >"$work/replay-config.txt"
(cd "$root" && ALSOFT_DRIVERS=null QUORVEX_CONFIG="$work/replay-config.txt" QUORVEX_LOG="$work/replay.log" \
    "$build/dungeon" --replay "$work/session.txt" --frames "$work/frames" 2>/dev/null)

# The lines a replay must reproduce: all but the loop's timing lines, without the time of day.
game_lines() {
    cut -c10- "$1" | grep -v -e "GameManager::run(): Can't keep up!" -e "GameManager::shutDown(): frame time median" \
        -e "GameManager::run(): Warning! Residual network data."
}
if ! diff <(game_lines "$work/live.log") <(game_lines "$work/replay.log"); then
    echo "update_replay_data: the replay differs from the recorded session; nothing overwritten" >&2
    exit 1
fi
mkdir -p "$data"
cp "$work/session.txt" "$data/dungeon-session.txt"
game_lines "$work/replay.log" >"$data/dungeon-session-log.txt"
cp "$(find "$work/frames" -name 'frame-*.txt' | sort | tail -n 1)" "$data/dungeon-session-frame.txt"
echo "update_replay_data: overwrote $data/dungeon-session.txt, dungeon-session-log.txt and dungeon-session-frame.txt"
