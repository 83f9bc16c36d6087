#!/usr/bin/env bash
# Benchmarks and timedemo: runs every Google Benchmark program, then the scripted race headless
# (Null device, fixed clock) and under Xvfb with OpenGL (llvmpipe here), printing --stats.
# Usage: bench/run.sh [BUILD]   env: TIMEDEMO_FRAMES (4200), TIMEDEMO_GL_FRAMES (same), BENCH_MIN_TIME (0.2),
#                                     TIMEDEMO_SKIP_GL=1, TIMEDEMO_SKIP_MICRO=1
set -uo pipefail
cd "$(dirname "$0")/.."
root=$PWD
export ORLENDA_SOURCE=$root   # benchmarks that read the effect files from the source tree
build=${1:-build}
frames=${TIMEDEMO_FRAMES:-4200}
gl_frames=${TIMEDEMO_GL_FRAMES:-$frames}
input=$root/bench/timedemo/race.input
status=0

# The OpenGL benchmarks need a display and read Shader/ and data/ from the game folder.
display=()
if [ -z "${DISPLAY:-}" ] && command -v xvfb-run >/dev/null; then display=(xvfb-run -a -s "-screen 0 1280x720x24"); fi
if [ -z "${TIMEDEMO_SKIP_MICRO:-}" ]; then
    for program in "$build"/bench/*; do
        [ -x "$program" ] || continue
        echo "== $(basename "$program")"
        program=$(cd "$(dirname "$program")" && pwd)/$(basename "$program")
        (cd "$build/game" && "${display[@]}" "$program" --benchmark_min_time="${BENCH_MIN_TIME:-0.2}" \
            --benchmark_counters_tabular=true 2>&1 | grep -vE '^ALSA lib|^AL lib|XDG_RUNTIME_DIR') || status=1
    done
fi

# One timedemo run: label, then the command's arguments after the game; prints the --stats lines
# with the wall time of the whole process and the speed against real time (16 ms per frame).
timedemo() {
    local label=$1 count=$2; shift 2
    local out; out=$(mktemp)
    local started ended
    started=$(date +%s.%N)
    (cd "$build/game" && "$@" --fixed-clock --seed 1 --frames "$count" --input "$input" --stats >"$out" 2>"$out.err")
    local rc=$?
    ended=$(date +%s.%N)
    echo "== timedemo $label"
    if [ $rc -ne 0 ]; then
        echo "!! exit $rc"; tail -5 "$out.err"; status=1
    fi
    sed 's/^/   /' "$out"
    awk -v s="$started" -v e="$ended" -v n="$count" 'BEGIN {
        wall = e - s; printf "   wall %.3f s for %d frames = %.1fx real time (%.1f frames/s)\n", wall, n, n * 0.016 / wall, n / wall }'
    # Message-box echoes and the sound libraries' complaints about a machine without a sound card
    # are expected; anything else is shown.
    local noise='^\[|^ALSA lib|^AL lib'
    local problems; problems=$(grep -vcE "$noise" "$out.err")
    [ "$problems" -eq 0 ] || { echo "   stderr ($problems lines):"; grep -vE "$noise" "$out.err" | head -5 | sed 's/^/     /'; }
    rm -f "$out" "$out.err"
}

if [ ! -x "$build/game/orlenda" ]; then
    echo "!! no game at $build/game/orlenda (build it first)"; exit 1
fi
timedemo "headless (Null device, ${frames} frames)" "$frames" ./orlenda --headless
if [ -z "${TIMEDEMO_SKIP_GL:-}" ]; then
    if command -v xvfb-run >/dev/null; then
        timedemo "OpenGL under Xvfb 1280x720 (${gl_frames} frames)" "$gl_frames" \
            xvfb-run -a -s "-screen 0 1280x720x24" ./orlenda --windowed
    else
        echo "== timedemo OpenGL skipped: no xvfb-run"
    fi
fi
exit $status
