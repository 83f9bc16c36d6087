#!/usr/bin/env bash
# Side by side with SuperTuxKart, in one run on this machine: its race at 1280x720 under Xvfb at its
# lowest settings (bench/supertuxkart.sh), its headless AI race, and ours at each graphics level and
# headless; prints each figure and our ratios. SuperTuxKart is a local yardstick only: nothing
# installs it, and neither the build, the tests nor CI run this script.
# Usage: bench/compare_supertuxkart.sh [BUILD]
#   env: STK (the program; default supertuxkart on PATH or /usr/games/supertuxkart),
#        STK_PROFILE_SECONDS (30: its drawn races), STK_HEADLESS_SECONDS (60: its headless race),
#        STK_ADVANCED=1 (also its advanced pipeline with glow, for reference),
#        COMPARE_GL_FRAMES (1200: our drawn races), COMPARE_FRAMES (4200: our headless race),
#        COMPARE_LOGS=DIR (keep every run's output there), COMPARE_TIMEOUT (1800: seconds one run may take)
set -uo pipefail
cd "$(dirname "$0")/.."
root=$PWD
build=${1:-build}
source "$root/bench/supertuxkart.sh"

stk=$(stk_program)
if [ -z "$stk" ]; then
    echo "SuperTuxKart is not installed here (Debian package supertuxkart): nothing to compare."
    exit 0
fi
if [ ! -x "$build/game/orlenda" ]; then
    echo "!! no game at $build/game/orlenda (build it first)"; exit 1
fi
command -v python3 >/dev/null || { echo "!! python3 is needed to time the runs"; exit 1; }
# Every drawn race of both games runs on one Xvfb server, started once.
if [ -z "${DISPLAY:-}" ]; then
    command -v xvfb-run >/dev/null || { echo "!! no display and no xvfb-run"; exit 1; }
    exec xvfb-run -a -s "-screen 0 1280x720x24 -noreset" bash "$0" "$@"
fi

stk_seconds=${STK_PROFILE_SECONDS:-30}
stk_headless_seconds=${STK_HEADLESS_SECONDS:-60}
gl_frames=${COMPARE_GL_FRAMES:-1200}
frames=${COMPARE_FRAMES:-4200}
if [ -n "${COMPARE_LOGS:-}" ]; then
    work=$COMPARE_LOGS   # every run's output is kept there
    mkdir -p "$work"
else
    work=$(mktemp -d)
    trap 'rm -rf "$work"' EXIT
fi
load_before=$(cut -d' ' -f1-3 /proc/loadavg)

# Runs a command with its output in LOG; prints "WALL_SECONDS PEAK_RSS_MB" of the process tree's largest,
# or "failed(STATUS)" / "failed(timeout)" in place of the wall time.
limit=${COMPARE_TIMEOUT:-1800}
measure() {
    local log=$1; shift
    python3 - "$log" "$limit" "$@" <<'EOF'
import resource, signal, subprocess, sys, time
with open(sys.argv[1], "wb") as log:
    start = time.monotonic()
    child = subprocess.Popen(sys.argv[3:], stdout=log, stderr=subprocess.STDOUT)
    # Stopping the comparison stops the game it is timing (SuperTuxKart ignores SIGTERM).
    for signum in (signal.SIGTERM, signal.SIGINT, signal.SIGHUP):
        signal.signal(signum, lambda *_: (child.kill(), sys.exit(1)))
    try:
        code = child.wait(timeout=float(sys.argv[2]))
    except subprocess.TimeoutExpired:
        child.kill()
        child.wait()
        code = "timeout"
    wall = time.monotonic() - start
peak = resource.getrusage(resource.RUSAGE_CHILDREN).ru_maxrss / 1024.0
print(f"{wall:.3f} {peak:.1f}" if code == 0 else f"failed({code}) {peak:.1f}")
EOF
}

# Each run has a home of its own: SuperTuxKart saves the flags it was given as its settings at exit,
# and the next run would start from them.
stk_run() {
    local name=$1; shift
    echo "== SuperTuxKart $name: $*" >&2
    mkdir -p "$work/home_$name"
    HOME=$work/home_$name measure "$work/stk_$name.log" "$stk" "$@"
}
ours() {
    local name=$1 count=$2; shift 2
    echo "== Orlenda $name: $* --frames $count" >&2
    (cd "$build/game" && measure "$work/ours_$name.log" ./orlenda "$@" --fixed-clock --seed 1 --frames "$count" \
        --input "$root/bench/timedemo/race.input" --stats)
}
stat() { awk -v k="$2" '$1 == k { print $2 }' "$work/ours_$1.log"; }

read -r lowest_wall lowest_rss < <(stk_run lowest "${stk_lowest[@]}" --profile-time="$stk_seconds")
advanced_wall=- advanced_rss=-
if [ -n "${STK_ADVANCED:-}" ]; then
    read -r advanced_wall advanced_rss < <(stk_run advanced -w --screensize=1280x720 "${stk_race[@]}" \
        --profile-time="$stk_seconds" --enable-dynamic-lights --enable-glow)
fi
read -r headless_wall headless_rss < <(stk_run headless --no-graphics --profile-time="$stk_headless_seconds" \
    "${stk_race[@]}")
read -r full_wall full_rss < <(ours full "$gl_frames" --windowed --graphics full)
read -r fast_wall fast_rss < <(ours fast "$gl_frames" --windowed --graphics fast)
read -r low_wall low_rss < <(ours low "$gl_frames" --windowed --graphics low)
read -r ours_wall ours_rss < <(ours headless "$frames" --headless)

lowest_fps=$(stk_fps "$work/stk_lowest.log")
advanced_fps=$([ -f "$work/stk_advanced.log" ] && stk_fps "$work/stk_advanced.log")
# The headless race counts its profile seconds of race; the whole process (start-up included) is timed.
stk_xrt=$(awk -v s="$stk_headless_seconds" -v w="$headless_wall" 'BEGIN { if (w + 0 > 0) printf "%.1f", s / w }')
ours_xrt=$(awk -v n="$frames" -v w="$ours_wall" 'BEGIN { if (w + 0 > 0) printf "%.1f", n * 0.016 / w }')
ratio() { stk_ratio "$@"; }

echo
echo "==================== Orlenda against SuperTuxKart (one run) ===================="
echo "machine: $(nproc) cores; load average before $load_before, after $(cut -d' ' -f1-3 /proc/loadavg)"
echo "SuperTuxKart: $("$stk" --version 2>/dev/null | grep -aoE '[0-9]+(\.[0-9]+)+' | head -1), sandtrack, 5 karts"
printf "  %-44s %12s %10s %9s\n" "run" "frames/s" "wall s" "peak MB"
printf "  %-44s %12s %10s %9s\n" "STK lowest settings, ${stk_seconds} s" "${lowest_fps:--}" "$lowest_wall" "$lowest_rss"
[ -n "${STK_ADVANCED:-}" ] && printf "  %-44s %12s %10s %9s\n" "STK advanced pipeline + glow, ${stk_seconds} s" \
    "${advanced_fps:--}" "$advanced_wall" "$advanced_rss"
printf "  %-44s %12s %10s %9s\n" "Orlenda full, $gl_frames frames (race scene)" "$(stat full race_fps)" "$full_wall" "$full_rss"
printf "  %-44s %12s %10s %9s\n" "Orlenda fast, $gl_frames frames (race scene)" "$(stat fast race_fps)" "$fast_wall" "$fast_rss"
printf "  %-44s %12s %10s %9s\n" "Orlenda low, $gl_frames frames (race scene)" "$(stat low race_fps)" "$low_wall" "$low_rss"
printf "  %-44s %12s %10s %9s\n" "STK headless, ${stk_headless_seconds} s of race" "${stk_xrt:--}x RT" "$headless_wall" "$headless_rss"
printf "  %-44s %12s %10s %9s\n" "Orlenda headless, $frames frames" "${ours_xrt:--}x RT" "$ours_wall" "$ours_rss"
echo "ratios (ours / SuperTuxKart's):"
echo "  low / STK lowest frames/s:         $(ratio "$(stat low race_fps)" "$lowest_fps")   (aim 1.0x)"
echo "  fast / STK lowest frames/s:        $(ratio "$(stat fast race_fps)" "$lowest_fps")   (aim between)"
echo "  full / STK lowest frames/s:        $(ratio "$(stat full race_fps)" "$lowest_fps")   (aim 0.5x)"
[ -n "${STK_ADVANCED:-}" ] && echo "  full / STK advanced + glow:        $(ratio "$(stat full race_fps)" "$advanced_fps")"
echo "  headless x real time:              $(ratio "$ours_xrt" "$stk_xrt")   (aim 3x)"
echo "  peak RSS, our full / STK lowest:   $(ratio "$full_rss" "$lowest_rss")"
echo "(frames/s: STK's own 'Average FPS' of the race; ours: race_fps of --stats, pictures per second of"
echo " the race scene. x RT: race seconds over the whole process's wall time, start-up included.)"
echo "================================================================================="
