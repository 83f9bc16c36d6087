#!/usr/bin/env bash
# The race depends on nothing but its inputs: the reference races give their committed traces (the
# whole --fixed-clock trace byte for byte, the race state's hash every 10th frame) in fresh config
# folders without a runtime folder, and two runs at once on a machine kept busy give the same trace.
# Usage: determinism.sh GAME_DIR BUILD_DIR
set -u
source "$(dirname "$0")/lib.sh"
e2e_args "$@"
e2e_need_game
e2e_scratch
cd "$game_dir" || exit 1
status=0

# A fresh config folder each time, and no XDG_RUNTIME_DIR: what a new player's first run sees.
fresh_run() { # NAME SEED FRAMES SCRIPT
    mkdir -p "$work/config-$1"
    env -u XDG_RUNTIME_DIR XDG_CONFIG_HOME="$work/config-$1" ./orlenda --headless --seed "$2" --frames "$3" \
        --input "$4" --trace "$work/$1.jsonl" > /dev/null 2> "$work/$1.err"
}

check_reference() { # NAME TRACE
    local expected actual
    expected=$(cat "$source_dir/tests/data/reference/$1.sha256")
    actual=$(sha256sum < "$2" | cut -d' ' -f1)
    [ "$expected" = "$actual" ] && return 0
    echo "FAIL: the $1 race's trace is not the committed reference ($2)"
    python3 - "$2" "$source_dir/tests/data/reference/$1.hashes" <<'PY'
import json, sys
seen = {}
for line in open(sys.argv[1]):
    frame = json.loads(line)
    seen[frame["frame"]] = frame.get("hash")
for line in open(sys.argv[2]):
    number, expected = line.split()
    if seen.get(int(number)) != expected:
        print(f"  first differing race state at frame {number}: {seen.get(int(number))} instead of {expected}")
        break
else:
    print("  the race states agree on every 10th frame: the difference is in what the trace shows around them")
PY
    status=1
}

fresh_run timedemo-a 1 4200 "$source_dir/bench/timedemo/race.input"
fresh_run timedemo-b 1 4200 "$source_dir/bench/timedemo/race.input"
fresh_run keyboard 2 5200 "$source_dir/bench/timedemo/keyboard.input"
if ! cmp -s "$work/timedemo-a.jsonl" "$work/timedemo-b.jsonl"; then
    echo "FAIL: two first runs in fresh config folders raced differently"
    status=1
fi
check_reference timedemo "$work/timedemo-a.jsonl"
check_reference keyboard "$work/keyboard.jsonl"

# Two at once while both cores are kept busy: the fixed clock makes them the same race.
for _ in 1 2; do (while :; do :; done) & pids+=($!); done
fresh_run loaded-a 1 4200 "$source_dir/bench/timedemo/race.input" &
first=$!
fresh_run loaded-b 1 4200 "$source_dir/bench/timedemo/race.input" &
second=$!
wait "$first" "$second"
kill "${pids[@]}" 2>/dev/null
pids=()
for run in loaded-a loaded-b; do
    if ! cmp -s "$work/timedemo-a.jsonl" "$work/$run.jsonl"; then
        echo "FAIL: a run on a busy machine ($run) raced differently"
        status=1
    fi
done
[ "$status" = 0 ] && echo "ok: fresh folders, the references and two busy runs all race alike"
exit $status
