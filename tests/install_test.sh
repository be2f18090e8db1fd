#!/usr/bin/env bash
# Installs the engine into a temporary prefix and builds games against it as an outside game
# maker would: rock run with CMake's find_package, pursuit with pkg-config and every warning an
# error, and the umbrella header with -pedantic; then plays both games headless and checks their
# logs.
#
#   tests/install_test.sh BUILD_DIR
set -u
build="$(realpath "$1")"
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
export ALSOFT_DRIVERS=null
prefix="$work/prefix"

fail() {
    echo "FAIL: $*" >&2
    exit 1
}

# Compiles through ccache when there is one, so that repeated runs cost little.
launcher=()
command -v ccache >/dev/null && launcher=(ccache)

cmake --install "$build" --prefix "$prefix" >/dev/null || fail "cmake --install"
[ -f "$prefix/lib/libquorvex.a" ] && [ -f "$prefix/include/quorvex/quorvex.h" ] &&
    [ -f "$prefix/lib/cmake/Quorvex/QuorvexConfigVersion.cmake" ] || fail "installed files missing"
# Only the installed prefix: no way back into the source tree.
[ -z "$(grep -rl "$root" "$prefix/lib/cmake" "$prefix/lib/pkgconfig")" ] || fail "package files name the source tree"

cp -r "$root/examples/rocks" "$work/rocks"
cmake -S "$work/rocks" -B "$work/rocks/build" -DCMAKE_PREFIX_PATH="$prefix" \
    ${launcher:+-DCMAKE_CXX_COMPILER_LAUNCHER=ccache} >"$work/cmake.log" 2>&1 &&
    cmake --build "$work/rocks/build" -j 2 >>"$work/cmake.log" 2>&1 || { cat "$work/cmake.log"; fail "find_package build"; }

cp -r "$root/examples/pursuit" "$work/pursuit"
export PKG_CONFIG_PATH="$prefix/lib/pkgconfig"
flags=(-std=c++17 -Wall -Wextra -Werror -pedantic)
# shellcheck disable=SC2046 # pkg-config's output is meant to be split.
(cd "$work/pursuit" && "${launcher[@]}" g++ "${flags[@]}" ./*.cpp -o pursuit $(pkg-config --cflags --libs quorvex)) ||
    fail "pkg-config build"
printf '#include <quorvex/quorvex.h>\nint main() { return qv::GameManager::getInstance().getGameOver(); }\n' >"$work/all.cpp"
# shellcheck disable=SC2046
"${launcher[@]}" g++ "${flags[@]}" -c "$work/all.cpp" -o "$work/all.o" $(pkg-config --cflags quorvex) ||
    fail "the umbrella header does not compile cleanly"

printf 'headless:true,\nframe_time:2,\nrandom_seed:7,\nquit_after:300,\n' >"$work/config.txt"
for game in rocks/build/rock_run pursuit/pursuit; do
    name="${game%%/*}"
    export QUORVEX_LOG="$work/$name.log"
    (cd "$work/$name" && QUORVEX_CONFIG="$work/config.txt" timeout 60 "$work/$game" 2>/dev/null) ||
        fail "$game exited with $?"
    grep -aq '\*\* Quorvex version 4.15 \*\*' "$QUORVEX_LOG" || fail "$game: no banner"
    grep -aq '\*\* Game engine stopped \*\*' "$QUORVEX_LOG" || fail "$game: did not stop"
done
grep -aq 'rock_run: [0-9]* rocks made' "$work/rocks.log" || fail "rock_run wrote no summary"
grep -aq 'pursuit: hunter [0-9]* found a way of' "$work/pursuit.log" || fail "pursuit found no path"
echo "ok: installed, built two ways, played"
