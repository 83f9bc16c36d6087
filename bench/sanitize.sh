#!/usr/bin/env bash
# AddressSanitizer + UndefinedBehaviorSanitizer check: builds the game and its tests with both
# sanitizers in their own folder, with clang (gcc took three times as long to build them, the
# longest stage of CI, and raised false maybe-uninitialized warnings in its instrumented code), runs
# the tests, then a 5 000-frame headless race flown from the keyboard (throttle, steering, boosts,
# the C toggle, Escape answered No). Any report fails the run.
# Leaks are checked everywhere except in the OpenGL tests, whose driver (llvmpipe) keeps allocations
# in code it unloads at exit, where no suppression can name it. The three-minute replay check is left
# to the ordinary test run, and so is the scripted human race, which plays its run again from the
# start every few frames: the race below covers the same code under the sanitizers in far less time.
# The install and package check runs no code of its own, so it too is left to the ordinary run.
# Usage: bench/sanitize.sh [frames]     (env SANITIZE_BUILD=build-asan, SANITIZE_TESTS=regex to narrow ctest, CC/CXX)
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
frames=${1:-5000}
build=${SANITIZE_BUILD:-build-asan}
jobs=${JOBS:-2}

# Leaks inside the system's GL, X11, font and sound libraries are theirs, not ours.
export LSAN_OPTIONS="suppressions=$root/bench/sanitize.supp:print_suppressions=0"
export ASAN_OPTIONS="detect_leaks=1:abort_on_error=1:strict_string_checks=1:detect_stack_use_after_return=1"
export UBSAN_OPTIONS="halt_on_error=1:print_stacktrace=1"

CC=${CC:-clang} CXX=${CXX:-clang++} cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DORLENDA_SANITIZE=ON \
    -DORLENDA_WERROR="${ORLENDA_WERROR:-OFF}" >/dev/null
cmake --build "$build" -j "$jobs"

echo "== sanitized tests"
start=$(date +%s)
(cd "$build" && ctest --output-on-failure -j "$jobs" --timeout 900 -LE gl -E "e2e_proof_replay|e2e_race_human|e2e_install_package" \
    ${SANITIZE_TESTS:+-R "$SANITIZE_TESTS"})
(cd "$build" && ASAN_OPTIONS="$ASAN_OPTIONS:detect_leaks=0" ctest --output-on-failure -j "$jobs" --timeout 900 -L gl \
    ${SANITIZE_TESTS:+-R "$SANITIZE_TESTS"})
echo "   tests took $(( $(date +%s) - start )) s"

echo "== sanitized ${frames}-frame headless race"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
start=$(date +%s)
status=0
(cd "$build/game" && ./orlenda --headless --seed 1 --frames "$frames" --input "$root/bench/timedemo/human.input" \
    --trace "$work/trace.jsonl" --stats >"$work/stdout.txt" 2>"$work/stderr.txt") || status=$?
cat "$work/stdout.txt"
if [ "$status" -ne 0 ] || grep -qE "ERROR: (Address|Leak)Sanitizer|runtime error:" "$work/stderr.txt"; then
    echo "!! sanitized race failed (exit $status):"
    grep -A40 -E "ERROR: (Address|Leak)Sanitizer|runtime error:" "$work/stderr.txt" | head -80 || tail -40 "$work/stderr.txt"
    exit 1
fi
lines=$(wc -l <"$work/trace.jsonl")
[ "$lines" -eq "$frames" ] || { echo "!! trace has $lines lines, expected $frames"; exit 1; }
last=$(tail -n 1 "$work/trace.jsonl")
echo "   race took $(( $(date +%s) - start )) s; last frame: $(grep -oE '"(scene|rank|effects)":[0-9]+' <<<"$last" | tr '\n' ' ')"
echo "sanitizers: clean"
