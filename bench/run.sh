#!/usr/bin/env bash
# Benchmarks and timedemo: runs every Google Benchmark program, then the scripted race headless
# (Null device, fixed clock) and under Xvfb with OpenGL (llvmpipe here) at each graphics level, each
# with --stats, then SuperTuxKart's race at its lowest settings on the same server if it is installed
# (bench/supertuxkart.sh), and ends with one report block that gathers the figures of this one run.
# Usage: bench/run.sh [BUILD]
#   env: TIMEDEMO_FRAMES (4200: the headless race), TIMEDEMO_GL_FRAMES (same: the OpenGL race at full
#        and the split-screen runs, two people at full and four at fast, so that they compare whole
#        races), TIMEDEMO_LEVEL_FRAMES (1200: the OpenGL runs at fast and low), BENCH_MIN_TIME (0.2),
#        TIMEDEMO_SKIP_GL=1, TIMEDEMO_SKIP_MICRO=1, BENCH_MICRO_LOG=FILE (micro-benchmarks to FILE only),
#        BENCH_SKIP_STK=1, STK, STK_PROFILE_SECONDS (30: SuperTuxKart's race),
#        BENCH_SKIP_CONTEST=1 (the rivals' contest and ladder tables, bench/contest.sh),
#        BENCH_SKIP_ONLINE=1 (bench/online.sh: the online race's figures)
set -uo pipefail
cd "$(dirname "$0")/.."
root=$PWD
source "$root/bench/supertuxkart.sh"
export ORLENDA_SOURCE=$root   # benchmarks that read the effect files from the source tree
build=${1:-build}
frames=${TIMEDEMO_FRAMES:-4200}
gl_frames=${TIMEDEMO_GL_FRAMES:-$frames}
level_frames=${TIMEDEMO_LEVEL_FRAMES:-1200}
input=$root/bench/timedemo/race.input
status=0
results=$(mktemp -d)
trap 'rm -rf "$results"' EXIT
load_before=$(cut -d' ' -f1-3 /proc/loadavg)

# The OpenGL runs need a display: without one the whole script runs again inside one Xvfb server, so
# every OpenGL launch is timed alone and not with a server's start-up.
if [ -z "${DISPLAY:-}" ] && [ -z "${TIMEDEMO_SKIP_GL:-}" ] && command -v xvfb-run >/dev/null; then
    # -noreset: each run leaves as the last client, and the next must not meet a resetting server.
    exec xvfb-run -a -s "-screen 0 1280x720x24 -noreset" bash "$0" "$@"
fi
# The benchmarks read Shader/ and data/ from the game folder.
micro() {
    for program in "$build"/bench/*; do
        [ -x "$program" ] || continue
        echo "== $(basename "$program")"
        program=$(cd "$(dirname "$program")" && pwd)/$(basename "$program")
        (cd "$build/game" && "$program" --benchmark_min_time="${BENCH_MIN_TIME:-0.2}" \
            --benchmark_counters_tabular=true 2>&1 | grep -vE '^ALSA lib|^AL lib|XDG_RUNTIME_DIR' |
            tee "$results/$(basename "$program").out") || status=1
    done
}
if [ -z "${TIMEDEMO_SKIP_MICRO:-}" ]; then
    if [ -n "${BENCH_MICRO_LOG:-}" ]; then
        echo "== micro-benchmarks -> $BENCH_MICRO_LOG"
        micro >"$BENCH_MICRO_LOG" 2>&1
    else
        micro
    fi
fi

# One timedemo run: key (names its result files), label, frame count, then the command's arguments;
# prints the --stats lines with the wall and CPU time of the whole process and its speed against real
# time (16 ms per frame), and keeps the --stats lines in $results/KEY.stats for the report.
timedemo() {
    local key=$1 label=$2 count=$3; shift 3
    local out=$results/$key.stats err=$results/$key.err times=$results/$key.time
    local TIMEFORMAT='%R %U %S'
    { time (cd "$build/game" && "$@" --fixed-clock --seed 1 --frames "$count" --input "$input" --stats \
        >"$out" 2>"$err"); } 2>"$times"
    local rc=$?
    echo "== timedemo $label"
    if [ $rc -ne 0 ]; then
        echo "!! exit $rc"; tail -5 "$err"; status=1
    fi
    sed 's/^/   /' "$out"
    read -r wall user sys <"$times"
    awk -v wall="$wall" -v cpu="$(awk -v u="$user" -v s="$sys" 'BEGIN { print u + s }')" -v n="$count" 'BEGIN {
        printf "   wall %.3f s (CPU %.3f s) for %d frames = %.1fx real time (%.1f frames/s)\n",
               wall, cpu, n, n * 0.016 / wall, n / wall }' | tee "$results/$key.wall"
    # Message-box echoes and the sound libraries' complaints about a machine without a sound card
    # are expected; anything else is shown.
    local noise='^\[|^ALSA lib|^AL lib'
    local problems; problems=$(grep -vcE "$noise" "$err")
    [ "$problems" -eq 0 ] || { echo "   stderr ($problems lines):"; grep -vE "$noise" "$err" | head -5 | sed 's/^/     /'; }
}

# The value of a --stats line ("peak_rss_mb 57.8" -> 57.8); "-" when the run did not print it.
stat() { awk -v k="$2" '$1 == k { print $2; found = 1 } END { if (!found) print "-" }' "$results/$1.stats" 2>/dev/null || echo -; }
# "mean / p50 / p99" of a timing line.
timing() {
    awk -v k="$2" '$1 == k { for (i = 2; i <= 4; ++i) { split($i, kv, "="); v[i] = kv[2] }
        printf "%.3f / %.3f / %.3f", v[2], v[3], v[4]; found = 1 } END { if (!found) printf "-" }' \
        "$results/$1.stats" 2>/dev/null
}
row() {
    [ -f "$results/$1.stats" ] || return 0
    printf "  %-26s %-24s %-24s %10s %10s %8s\n" "$2" "$(timing "$1" update_ms)" "$(timing "$1" render_ms)" \
        "$(stat "$1" rendered_fps)" "$(stat "$1" race_fps)" "$(stat "$1" peak_rss_mb)"
}

report() {
    echo
    echo "==================== Orlenda bench report (one run) ===================="
    echo "machine: $(nproc) cores; load average before $load_before, after $(cut -d' ' -f1-3 /proc/loadavg)"
    printf "  %-26s %-24s %-24s %10s %10s %8s\n" "run" "update ms mean/p50/p99" "render ms mean/p50/p99" \
        "rendered/s" "race/s" "peak MB"
    row headless "headless, $frames frames"
    row full "OpenGL full, $gl_frames frames"
    row fast "OpenGL fast, $level_frames frames"
    row low "OpenGL low, $level_frames frames"
    row full2p "2 people full, $gl_frames fr."
    row fast4p "4 people fast, $gl_frames fr."
    [ -f "$results/headless.wall" ] && echo "headless race as a whole process:$(sed 's/^ *wall//' "$results/headless.wall")"
    local launch="headless $(stat headless launch_to_title_ms) ms"
    [ -f "$results/full.stats" ] && launch="$launch, OpenGL $(stat full launch_to_title_ms) ms"
    echo "launch to the first title frame (--stats launch_to_title_ms): $launch"
    local whole="headless $(cut -d' ' -f1 "$results/title_headless.time") s"
    [ -f "$results/title_gl.time" ] && whole="$whole, OpenGL $(cut -d' ' -f1 "$results/title_gl.time") s"
    echo "  the whole process with --frames 1 (exec, loader, the title frame, exit): $whole"
    split_report
    for level in full fast low full2p fast4p; do
        [ -f "$results/$level.stats" ] || continue
        echo "Phases at $level (ms per timed frame, one drawn frame in eight):$(grep '^phase_ms' "$results/$level.stats" | sed 's/^phase_ms//')"
    done
    if [ -f "$results/race_state_bench.out" ]; then
        # CPU time per iteration (the third column) of each race-state benchmark.
        # (tabular counters: the saved size is the seventh column, "5.068k" bytes)
        awk '/^BM_RaceStateSaveLoad/ { save = $4 " " $5; bytes = $7 }
             /^BM_RaceStateHash/ { hash = $4 " " $5 } /^BM_RaceStep/ { step = $4 " " $5 }
             END { printf "race state: %s bytes saved; save + load %s, hash %s, one update of five racers %s\n", bytes, save, hash, step }' \
            "$results/race_state_bench.out"
    fi
    if [ -f "$results/contest.out" ]; then
        echo "rivals, championship races on every course, seeds 1-10 (bench/contest.sh; med: place changes after 5 s):"
        awk '/^== for comparison/ { exit } /^all / || /^(PASS|FAIL):/ { print "  " $0 }' "$results/contest.out"
    fi
    stk_report
    [ -n "${TIMEDEMO_SKIP_GL:-}" ] && echo "(OpenGL runs skipped: TIMEDEMO_SKIP_GL)"
    echo "(rendered/s: pictures per second of the main loop, title included; race/s: of the race scene alone)"
    echo "========================================================================="
}

# Split-screen against one person at full, from the same run: race pictures per second and memory.
split_report() {
    [ -f "$results/full2p.stats" ] && [ -f "$results/full.stats" ] || return 0
    local one; one=$(stat full race_fps)
    awk -v one="$one" -v two="$(stat full2p race_fps)" -v four="$(stat fast4p race_fps)" \
        -v rss="$(stat fast4p peak_rss_mb)" 'BEGIN {
        printf "split-screen: 2 people at full %s race/s = %.2fx one at full (aim 0.6x or more); 4 at fast %s = %.2fx (aim 0.5x or more); peak RSS with 4: %s MB (aim 170 or less)\n",
               two, two / one, four, four / one, rss }'
}

# SuperTuxKart at its lowest settings on the same server, after our runs: its own frames/s of the race.
stk_line=""
stk_timedemo() {
    local stk; stk=$(stk_program)
    if [ -n "${TIMEDEMO_SKIP_GL:-}" ] || [ -z "${DISPLAY:-}" ]; then return; fi
    if [ -n "${BENCH_SKIP_STK:-}" ]; then stk_line="SuperTuxKart skipped (BENCH_SKIP_STK)"; return; fi
    if [ -z "$stk" ]; then
        stk_line="SuperTuxKart is not installed here (Debian package supertuxkart): no side-by-side figures"
        return
    fi
    local seconds=${STK_PROFILE_SECONDS:-30} log=$results/stk.log
    mkdir -p "$results/stk_home"   # a home of its own: it saves the flags it was given as settings
    echo "== SuperTuxKart, lowest settings: ${stk_lowest[*]} --profile-time=$seconds"
    HOME=$results/stk_home timeout 1800 "$stk" "${stk_lowest[@]}" --profile-time="$seconds" >"$log" 2>&1 ||
        echo "!! SuperTuxKart exited with $?"
    stk_line="$(stk_fps "$log")"
    echo "   Average FPS ${stk_line:--}"
}
stk_report() {
    [ -n "$stk_line" ] || return 0
    case $stk_line in
    [0-9]*) ;;
    *) echo "$stk_line"; return ;;
    esac
    echo "SuperTuxKart $("$(stk_program)" --version 2>/dev/null | grep -aoE '[0-9]+(\.[0-9]+)+' | head -1)" \
        "at its lowest settings (sandtrack, 5 karts, 1280x720, same server): $stk_line frames/s"
    printf "  %-8s %10s %10s   %s\n" "ours" "race/s" "ratio" "aim"
    local level aim
    for level in low fast full; do
        case $level in low) aim="1.0x or more" ;; fast) aim="between low and full" ;; full) aim="0.5x or more" ;; esac
        [ -f "$results/$level.stats" ] || continue
        printf "  %-8s %10s %10s   %s\n" "$level" "$(stat "$level" race_fps)" \
            "$(stk_ratio "$(stat "$level" race_fps)" "$stk_line")" "$aim"
    done
}

if [ ! -x "$build/game/orlenda" ]; then
    echo "!! no game at $build/game/orlenda (build it first)"; exit 1
fi
timedemo headless "headless (Null device, ${frames} frames)" "$frames" ./orlenda --headless
timedemo title_headless "headless launch to the title (1 frame)" 1 ./orlenda --headless
if [ -z "${TIMEDEMO_SKIP_GL:-}" ]; then
    if [ -n "${DISPLAY:-}" ]; then
        timedemo full "OpenGL full, 1280x720 on $DISPLAY (${gl_frames} frames)" "$gl_frames" \
            ./orlenda --windowed --graphics full
        for level in fast low; do
            timedemo "$level" "OpenGL $level, 1280x720 on $DISPLAY (${level_frames} frames)" "$level_frames" \
                ./orlenda --windowed --graphics "$level"
        done
        input=$root/bench/timedemo/split.input timedemo full2p \
            "OpenGL full, 2 people, 1280x720 on $DISPLAY (${gl_frames} frames)" "$gl_frames" \
            ./orlenda --windowed --graphics full --players 2
        input=$root/bench/timedemo/split.input timedemo fast4p \
            "OpenGL fast, 4 people, 1280x720 on $DISPLAY (${gl_frames} frames)" "$gl_frames" \
            ./orlenda --windowed --graphics fast --players 4
        timedemo title_gl "OpenGL launch to the title (1 frame)" 1 ./orlenda --windowed
        stk_timedemo
    else
        echo "== timedemo OpenGL skipped: no display and no xvfb-run"
    fi
fi
if [ -z "${BENCH_SKIP_CONTEST:-}" ]; then
    # The race's own figures, not speeds: how much the rivals fight and how fair each level is.
    bash bench/contest.sh "$build" | tee "$results/contest.out"
    [ "${PIPESTATUS[0]}" -eq 0 ] || status=1
fi
if [ -z "${BENCH_SKIP_ONLINE:-}" ]; then
    bash "$root/bench/online.sh" "$build" || status=1
fi
report
exit $status
