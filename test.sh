#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test: once in a plain build and once built with
# AddressSanitizer and UndefinedBehaviorSanitizer.
set -eu
source "$(dirname "${BASH_SOURCE[0]}")/scripts/common.sh"
install_missing
build build
build build-asan -DQV_SANITIZE=ON -DQV_BENCH=OFF -DCMAKE_BUILD_TYPE=Debug
jobs="$(nproc)"
export ALSOFT_DRIVERS=null
echo "== tests"
ctest --test-dir "$root/build" --output-on-failure -j "$jobs"
echo "== tests with sanitizers"
ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
    ctest --test-dir "$root/build-asan" --output-on-failure -j "$jobs"
