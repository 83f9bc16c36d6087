#!/usr/bin/env bash
# The course choice and the course author's kit: --list-courses, --course, a course file with no
# usable course, mapc check on every shipped course text, and coursecheck flying every course.
# Usage: courses.sh GAME_DIR BUILD_DIR
set -u
source "$(dirname "$0")/lib.sh"
e2e_args "$@"
: "${build_dir:?build folder}"
e2e_need_game data/Map/courses.ini
e2e_scratch
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
cd "$game_dir" || exit 1

# The list: four courses, the shipped one first, exit 0.
./orlenda --list-courses > "$work/list.txt" 2> "$work/err.txt" || fail "--list-courses exited $?"
[ "$(wc -l < "$work/list.txt")" -eq 4 ] || fail "expected four courses, got: $(cat "$work/list.txt")"
[ "$(head -1 "$work/list.txt" | cut -f1)" = map2 ] || fail "the shipped course is not first"
[ -s "$work/err.txt" ] && fail "--list-courses wrote to stderr: $(cat "$work/err.txt")"

# An unknown course is a usage error that names it.
rc=0; ./orlenda --headless --frames 5 --course nowhere > /dev/null 2> "$work/err.txt" || rc=$?
[ $rc -eq 2 ] && grep -q nowhere "$work/err.txt" || fail "--course nowhere: exit $rc, $(cat "$work/err.txt")"

# A course file whose every entry is broken: one line per entry, a message, exit 1.
mkdir -p "$work/game/data/Map"
printf '[a]\nmap = gone.map\nname = A\nstart = 0 0 0\nheading = 0\nsky = Sky.x\n[b]\nmap = map2.map\n' \
    > "$work/game/data/Map/courses.ini"
rc=0; (cd "$work/game" && "$game_dir/orlenda" --headless --frames 5) > /dev/null 2> "$work/err.txt" || rc=$?
[ $rc -eq 1 ] || fail "no usable course: exit $rc"
[ "$(grep -c 'left out' "$work/err.txt")" -eq 2 ] || fail "expected one line per bad entry: $(cat "$work/err.txt")"
grep -q "no course can be raced" "$work/err.txt" || fail "no final message: $(cat "$work/err.txt")"

# The author's checks pass on every course text the game ships.
for text in "$source_dir"/content/course/*.txt "$build_dir"/courses/*.txt; do
    "$build_dir/tools/mapc" check --models "$game_dir/data/MapObject" "$text" > "$work/check.txt" || { fail "mapc check $text"; cat "$work/check.txt"; }
done

# A headless race on the mountain: the trace shows the automatic pilot's detours.
printf '10 down RETURN\n12 up RETURN\n' > "$work/enter.txt"
./orlenda --headless --course mountain --frames 1500 --input "$work/enter.txt" --trace "$work/trace.jsonl" \
    > /dev/null 2>&1 || fail "mountain race exited $?"
grep -q '"detour":true' "$work/trace.jsonl" || fail "no detour in the mountain trace"

# Every racer round every course cleanly, on a few seeds (coursecheck --seeds 1-10 for the full run).
"$build_dir/tools/coursecheck" --seeds 1,2 map2 evening long > "$work/cc.txt" || { fail "coursecheck"; cat "$work/cc.txt"; }
"$build_dir/tools/coursecheck" --seeds 1,2 --min-detours 3 --no-touch mountain > "$work/cc.txt" ||
    { fail "coursecheck mountain"; cat "$work/cc.txt"; }

if [ "$failures" -ne 0 ]; then echo "$failures failure(s)"; exit 1; fi
echo "PASS: four courses listed and chosen, bad course files refused, every course checked and flown"
