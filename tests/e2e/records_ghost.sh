#!/usr/bin/env bash
# Saved best times and the ghost, headless, in a scratch save folder: a race flown on the automatic
# pilot is assisted and saves nothing; a first race that waits on the grid for nine tenths of its
# updates and lets the automatic pilot fly the lap in the last tenth is not, and saves its record and ghost; a race on another course keeps its own files and leaves the
# first course's alone; a second race, with the keyboard racer left standing, flies the first
# race's ghost exactly where its racer was, update by update; a damaged ghost is set aside with one
# line and not raced; --difficulty normal and no saved data leave the trace as without the flags.
# Usage: records_ghost.sh GAME_DIR BUILD_DIR
set -u
source "$(dirname "$0")/lib.sh"
e2e_args "$@"
e2e_need_game
e2e_need_python read the trace
e2e_scratch
saves="$work/saves"
cat > "$work/autopilot.txt" <<'KEYS'
10 down RETURN
12 up RETURN
200 down C
204 up C
KEYS
# Standing on the grid, nobody passes a checkpoint once the computer racers are in: each minute's
# question whether to leave is answered No.
answers() { for _ in 1 2 3 4 5 6 7 8 9 10; do echo "20 answer no"; done; }
{ cat <<'KEYS'
10 down RETURN
12 up RETURN
27000 down C
27004 up C
KEYS
answers; } > "$work/late.txt"
{ cat <<'KEYS'
10 down RETURN
12 up RETURN
KEYS
answers; } > "$work/idle.txt"

cd "$game_dir" || exit 1
race() { # NAME INPUT FRAMES [flags...]
    local name=$1 input=$2 frames=$3
    shift 3
    if ! ./orlenda --headless --seed 3 --frames "$frames" --input "$input" --trace "$work/$name.jsonl" "$@" \
            > /dev/null 2> "$work/$name.err"; then
        echo "FAIL: race $name exited with an error"; cat "$work/$name.err"; exit 1
    fi
}
race assisted "$work/autopilot.txt" 3200 --data-home "$work/saves-assisted"
if ls "$work/saves-assisted" 2> /dev/null | grep -q '\.record$\|\.ghost$'; then
    echo "FAIL: a race flown on the automatic pilot saved a record or ghost"; exit 1
fi
race plain "$work/late.txt" 30200
race first "$work/late.txt" 30200 --data-home "$saves" --difficulty normal --ghost on
cp "$saves/map2-normal.record" "$work/map2.record"
cp "$saves/map2-normal.ghost" "$work/map2.ghost"
race mountain "$work/late.txt" 30200 --data-home "$saves" --course mountain
race second "$work/idle.txt" 30200 --data-home "$saves"
cp "$saves/map2-normal.ghost" "$work/good.ghost"
python3 - "$saves/map2-normal.ghost" <<'PY'
import sys
path = sys.argv[1]
data = bytearray(open(path, 'rb').read())
data[len(data) // 2] ^= 0x40
open(path, 'wb').write(data)
PY
race damaged "$work/idle.txt" 600 --data-home "$saves"
race off "$work/idle.txt" 600 --data-home "$work/saves-off" --ghost off

python3 - "$work" "$saves" <<'PY'
import json, os, re, sys
work, saves = sys.argv[1], sys.argv[2]
def lines(name): return open(os.path.join(work, name + '.jsonl')).read().splitlines()
def load(name): return [json.loads(l) for l in lines(name)]
problems = []

# No saved data, normal level: the same trace as a run without any of the new flags.
if lines('plain') != lines('first'):
    problems.append('the first race with --data-home and --difficulty normal differs from a plain run')
if any('"ghost":null' not in l for l in lines('plain') if '"racers"' in l):
    problems.append('race frames without a ghost must say "ghost":null')

def fnv(path):
    h = 14695981039346656037
    for b in open(path, 'rb').read(): h = ((h ^ b) * 1099511628211) & 0xFFFFFFFFFFFFFFFF
    return f'{h:016x}'
def read(path): return open(path, 'rb').read()
# map2's ghost as saved (the one in the folder was damaged on purpose since).
ghosts = {'map2': os.path.join(work, 'good.ghost'), 'mountain': os.path.join(saves, 'mountain-normal.ghost')}
for course in ('map2', 'mountain'):
    record = open(os.path.join(saves, course + '-normal.record')).read()
    want = [r'^orlenda-record 2$', rf'^course {course}$', rf'^map {fnv("data/Map/" + course + ".map")}$',
            r'^best \d+$', rf'^ghost {read(ghosts[course])[-8:][::-1].hex()}$',
            r'^end [0-9a-f]{16}\n\Z']
    for line in want:
        if not re.search(line, record, re.M): problems.append(f'{course} record lacks {line}: {record}')
# Racing the mountain wrote its own pair and left Lakeside's exactly as it was.
if read(os.path.join(work, 'map2.record')) != read(os.path.join(saves, 'map2-normal.record')) or \
        read(os.path.join(work, 'map2.ghost')) != read(os.path.join(work, 'good.ghost')):
    problems.append('racing another course changed map2-normal.record or its ghost')
first, second = load('first'), load('second')
def go(trace): return next(i for i, x in enumerate(trace) if 'clock' in x and not x['clock']['stopped'])
a, b = go(first), go(second)
finish = next(i for i, x in enumerate(first) if x.get('clock', {}).get('stopped') and i > a)
flown = [x['racers'][0]['pos'] for x in first[a - 1:finish + 1]]
ghost = [x['ghost'] for x in second[b - 1:b - 1 + len(flown)]]
if ghost[0] is not None: problems.append('the ghost shows before "go"')
if ghost[1:] != flown[1:]:
    bad = next(i for i in range(1, len(flown)) if ghost[i] != flown[i])
    problems.append(f'ghost update {bad}: {ghost[bad]} where the first race flew {flown[bad]}')
if second[b - 1 + len(flown)]['ghost'] is not None: problems.append('the ghost stays after its finish')
moving = b + len(flown) - 200 # the ghost's race is on the automatic pilot by then
if second[moving]['racers'][0]['pos'] == second[moving]['ghost']: problems.append('the keyboard racer was not left standing')

said = open(os.path.join(work, 'damaged.err')).read().splitlines()
ghost_lines = [l for l in said if l.startswith('ghost:')]
if len(ghost_lines) != 1 or 'moved aside' not in ghost_lines[0]:
    problems.append(f'damaged ghost: {said}')
if any(x.get('ghost') for x in load('damaged')): problems.append('a damaged ghost was raced')
if not any('.unreadable-' in n for n in os.listdir(saves)): problems.append('the damaged ghost was not set aside')
if any(x.get('ghost') for x in load('off')): problems.append('--ghost off still shows a ghost')

print(f'first race finished after {finish - a} updates; the ghost followed all of them')
for p in problems: print('FAIL:', p)
sys.exit(1 if problems else 0)
PY
