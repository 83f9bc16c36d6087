#!/usr/bin/env bash
# A championship survives a kill between its races: the first race is flown, the game is killed
# on the standings screen, and a new game's title goes on with the second race (on the second
# course, with the first race's points), whose points are added and saved in turn.
# Usage: championship.sh GAME_DIR BUILD_DIR
set -u
source "$(dirname "$0")/lib.sh"
e2e_args "$@"
e2e_need_game
e2e_need_python read the trace
e2e_scratch
saves="$work/saves"
# Enter on the title, the automatic pilot from the countdown, Enter on the result screen.
cat > "$work/race.txt" <<'KEYS'
10 down RETURN
12 up RETURN
200 down C
204 up C
3400 down RETURN
3402 up RETURN
KEYS
cd "$game_dir" || exit 1

# The first run would go on for ever on the standings screen: it is killed there.
./orlenda --headless --mode championship --seed 1 --data-home "$saves" --frames 1000000 --input "$work/race.txt" \
    --trace "$work/first.jsonl" > /dev/null 2> "$work/first.err" &
pids=($!)
for _ in $(seq 1 600); do
    grep -q '"scene":2' "$work/first.jsonl" 2> /dev/null && break
    sleep 0.1
done
kill -9 "${pids[@]}" 2> /dev/null
wait "${pids[@]}" 2> /dev/null
pids=()
if ! grep -q '"scene":2' "$work/first.jsonl"; then
    echo "FAIL: the first championship race never reached the standings"; cat "$work/first.err"; exit 1
fi
cp "$saves/championship.save" "$work/after-first.save"

if ! ./orlenda --headless --mode championship --seed 2 --data-home "$saves" --frames 3600 --input "$work/race.txt" \
        --trace "$work/second.jsonl" > /dev/null 2> "$work/second.err"; then
    echo "FAIL: the second run exited with an error"; cat "$work/second.err"; exit 1
fi

python3 - "$work" "$saves" <<'PY'
import json, os, sys
work, saves = sys.argv[1], sys.argv[2]
def fields(path):
    out = {}
    for line in open(path):
        if line.startswith('#') or not line.strip() or line.startswith('end'): continue
        key, _, rest = line.strip().partition(' ')
        out.setdefault(key, []).append(rest)
    return out
first, second = fields(os.path.join(work, 'after-first.save')), fields(os.path.join(saves, 'championship.save'))
problems = []
if first.get('raced') != ['1']: problems.append(f'after the first race the save says raced {first.get("raced")}')
if second.get('raced') != ['2']: problems.append(f'after the second race the save says raced {second.get("raced")}: the championship did not go on')
if second.get('course') != first.get('course') or len(second.get('course', [])) < 2:
    problems.append('the courses of the championship changed between the runs')
total = lambda f: sum(int(p) for p in f['points'][0].split())
if total(first) != 25 or total(second) != 50: problems.append(f'points after each race: {total(first)}, {total(second)} (25 and 50 expected)')
race = [json.loads(l) for l in open(os.path.join(work, 'second.jsonl'))]
race = [f for f in race if 'racers' in f]
if not race: problems.append('the second run raced nothing')
else:
    if race[0].get('mode') != 'championship': problems.append('the trace does not name the championship mode')
    names = [r.get('name') for r in race[0]['racers']]
    if names[0] != 'You' or len(set(names)) != 5: problems.append(f'racers are not named apart: {names}')
    if any(not 1 <= r.get('place', 0) <= 5 for f in race for r in f['racers']): problems.append('a place outside 1..5')
    # The killed run's last line may be cut: its first race frame is all that is read.
    start1 = next(json.loads(l) for l in open(os.path.join(work, 'first.jsonl')) if '"racers"' in l)['racers'][0]['pos']
    if race[0]['racers'][0]['pos'] == start1: problems.append('the second run raced the first course again')
for p in problems: print('FAIL:', p)
sys.exit(1 if problems else 0)
PY
status=$?
[ $status -eq 0 ] && echo "PASS: the championship went on after a kill between its races"
exit $status
