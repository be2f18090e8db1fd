#!/usr/bin/env bash
# Writes the API reference into a temporary folder and fails on any Doxygen warning: a public
# class, function, variable or enumeration of an engine header without a comment, or a comment
# Doxygen cannot read.
#
#   tests/api_docs_test.sh BUILD_DIR
set -u
build="$(realpath "$1")"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
command -v doxygen >/dev/null || { echo "FAIL: doxygen is not installed" >&2; exit 1; }
# Later settings win: the same configuration as the docs target, written elsewhere.
{ cat "$build/Doxyfile"; echo "OUTPUT_DIRECTORY = $work"; echo "WARN_LOGFILE = $work/warnings.txt"; } |
    doxygen - >/dev/null 2>"$work/doxygen.err" || { cat "$work/doxygen.err" >&2; exit 1; }
[ -f "$work/html/classqv_1_1WorldManager.html" ] || { echo "FAIL: no page for WorldManager" >&2; exit 1; }
if [ -s "$work/warnings.txt" ]; then
    echo "FAIL: $(wc -l <"$work/warnings.txt") Doxygen warnings:" >&2
    sed "s|$build/include/||" "$work/warnings.txt" >&2
    exit 1
fi
echo "ok: every public member documented"
