#!/usr/bin/env bash
# The race can be rewound: every course at every difficulty, flown on the automatic pilot and by a
# keyboard script, passes --synctest (after every update the state of 8 updates before is loaded,
# those updates are stepped again and must give the same state).
# Usage: synctest.sh GAME_DIR BUILD_DIR
set -u
source "$(dirname "$0")/lib.sh"
e2e_args "$@"
e2e_need_game
e2e_scratch
cd "$game_dir" || exit 1
courses=$(./orlenda --list-courses | cut -f1)
runs=()
for course in $courses; do
    for level in easy normal hard; do
        # Grand Tour's lap is the longest: its races need more updates to reach the finish.
        frames=5200
        [ "$course" = long ] && frames=7600
        runs+=("$course $level race.input $frames" "$course $level keyboard.input $frames")
    done
done
printf '%s\n' "${runs[@]}" | xargs -P 2 -L 1 bash -c '
    course=$0 level=$1 script=$2 frames=$3
    if ! ./orlenda --headless --synctest 8 --seed 5 --frames "$frames" --course "$course" --difficulty "$level" \
            --input "'"$source_dir"'/bench/timedemo/$script" > /dev/null 2> "'"$work"'/$course-$level-$script.err"; then
        echo "FAIL: $course at $level with $script:"; grep synctest "'"$work"'/$course-$level-$script.err"
        exit 1
    fi' || exit 1
echo "ok: ${#runs[@]} races pass the synctest"
