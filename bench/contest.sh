#!/usr/bin/env bash
# The contest and ladder tables: every course, seeds 1-10, each level, the player's racer on the
# automatic pilot (a steady pilot) against the rivals of a championship race, headless and straight on
# the race step (coursecheck --contest). Under the table, each target the race misses; exit 1 if any.
# Then, for comparison, the game's unnamed computer racers at every level (how every level raced
# before the rivals; the single race at normal still races them).
# Usage: bench/contest.sh [BUILD]
#   env: CONTEST_SEEDS (1-10), CONTEST_RACES=1 (every race's places and laps), CONTEST_SKIP_UNNAMED=1
set -uo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
seeds=${CONTEST_SEEDS:-1-10}
tool=$PWD/$build/tools/coursecheck
if [ ! -x "$tool" ] || [ ! -f "$build/game/data/Map/map2.map" ]; then
    echo "!! no coursecheck or course data under $build (build it first)"; exit 1
fi
cd "$build/game" || exit 1
races=()
[ -n "${CONTEST_RACES:-}" ] && races=(--races)
echo "== contest and ladder: championship races, every course, seeds $seeds"
"$tool" --contest --kind championship --seeds "$seeds" "${races[@]}" all
status=$?
if [ -z "${CONTEST_SKIP_UNNAMED:-}" ]; then
    echo "== for comparison: the unnamed computer racers at every level (targets not theirs to meet)"
    "$tool" --contest --kind unnamed --seeds "$seeds" all | grep -vE '^  MISS|^(PASS|FAIL):'
fi
exit $status
