#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test: once in a plain build and once built with
# AddressSanitizer and UndefinedBehaviorSanitizer. The tests run inside a virtual X server, so the
# window tests draw on a machine without a display; sound goes to OpenAL's null output.
set -eu
source "$(dirname "${BASH_SOURCE[0]}")/scripts/common.sh"
install_missing
build build
build build-asan -DQV_SANITIZE=ON -DQV_BENCH=OFF -DCMAKE_BUILD_TYPE=Debug
jobs="$(nproc)"
export ALSOFT_DRIVERS=null
# The server resets whenever its last client leaves, as servers started with their defaults do:
# the engine holds its display across start-up and waits out a reset, which the tests rely on.
xvfb=(xvfb-run -a -s "-screen 0 1280x1024x24")
echo "== tests"
"${xvfb[@]}" ctest --test-dir "$root/build" --output-on-failure -j "$jobs"
echo "== tests with sanitizers"
# Leaks inside the X, OpenGL and OpenAL libraries are theirs; the engine's own are still reported.
# The software rasteriser draws without threads of its own here: the leak checker, stopping every
# thread at exit, now and then crashed on one of them being torn down.
LP_NUM_THREADS=0 ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
    LSAN_OPTIONS="suppressions=$root/tests/lsan.supp:print_suppressions=0" \
    "${xvfb[@]}" ctest --test-dir "$root/build-asan" --output-on-failure -j "$jobs"
