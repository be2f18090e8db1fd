#!/usr/bin/env bash
# Installs what is missing, builds, and starts the game in the project's root; its arguments go to
# the game, so "./play.sh --watch HOST[:PORT]" watches a game played elsewhere. Without a display
# it plays a short scripted session on a virtual one instead and saves screenshots of the title,
# the first floor and the hero after a walk in screenshots/.
set -eu
source "$(dirname "${BASH_SOURCE[0]}")/scripts/common.sh"
install_missing
build build
cd "$root"
if [ -n "${DISPLAY:-}" ]; then
    exec "$root/build/dungeon" "$@"
fi
if [ $# -gt 0 ]; then
    echo "No display: watching a game needs one (the scripted session takes no arguments)." >&2
    exit 2
fi
echo "No display: playing a short scripted session on a virtual one."
# No sound device either.
export ALSOFT_DRIVERS=null
# The session watches the log for the game's progress.
export QUORVEX_LOG="${QUORVEX_LOG:-$root/quorvex.log}"
status=0
xvfb-run -a -s "-screen 0 1280x1024x24" "$root/tools/play_session.sh" "$root/build/dungeon" "$root/screenshots" ||
    status=$?
echo "Screenshots of the title, the first floor and the hero after walking are in $root/screenshots/;"
echo "the game's log is $root/quorvex.log."
exit "$status"
