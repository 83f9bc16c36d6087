#!/usr/bin/env bash
# Replays: three minutes of human-style play (boosts, the C toggle, Escape answered No, a finish and
# a second race) recorded with --record, then replayed from the recording with the same seed, must
# give the same trace frame for frame.
# Usage: proof_replay.sh GAME_DIR BUILD_DIR
set -u
source "$(dirname "$0")/lib.sh"
e2e_args "$@"
input=$source_dir/bench/timedemo/human.input
frames=11250
seed=4242
e2e_need_game data
"$game_dir/orlenda" --help 2>/dev/null | grep -q -- --record || e2e_skip "this game has no automation flags yet"
e2e_scratch
cd "$game_dir" || exit 1

run() { # label, input file, extra arguments
    local label=$1 script=$2; shift 2
    if ! ./orlenda --headless --seed "$seed" --frames "$frames" --input "$script" "$@" \
            >"$work/$label.out" 2>"$work/$label.err"; then
        echo "FAIL: the $label run exited with an error"; tail -20 "$work/$label.err"; exit 1
    fi
}
run played "$input" --record "$work/recorded.input" --trace "$work/played.jsonl"
if ! grep -q '"racers"' "$work/played.jsonl"; then
    e2e_skip "the race scene has no racers yet"
fi
run replayed "$work/recorded.input" --trace "$work/replayed.jsonl"
# The trace must be able to tell runs apart, or identical traces would prove nothing.
seed=$((seed + 1)) run reseeded "$work/recorded.input" --trace "$work/reseeded.jsonl"

failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

lines=$(wc -l < "$work/played.jsonl")
[ "$lines" -eq "$frames" ] || fail "$lines trace lines, expected $frames"
if ! cmp -s "$work/played.jsonl" "$work/replayed.jsonl"; then
    first=$(cmp "$work/played.jsonl" "$work/replayed.jsonl" | grep -o 'line [0-9]*' | cut -d' ' -f2)
    fail "the replay differs from frame ${first:-?} on"
    echo "   played:   $(sed -n "${first:-1}p" "$work/played.jsonl" | cut -c1-300)"
    echo "   replayed: $(sed -n "${first:-1}p" "$work/replayed.jsonl" | cut -c1-300)"
fi

cmp -s "$work/played.jsonl" "$work/reseeded.jsonl" && fail "another seed gave the same trace"

# The recording holds what the run was made of.
for event in "down SHIFT" "down C" "down ESCAPE" "answer no" "down SPACE" "down LEFT" "down RIGHT" "down RETURN"; do
    grep -q " $event\$" "$work/recorded.input" || fail "the recording has no '$event'"
done
# The run did what the script meant: the race ran, the keyboard racer was handed to the automatic
# pilot and back, the boost was heard, Escape answered No kept the race, the race finished, and the
# title and a second race followed.
racer0() { grep -o '"racers":\[{[^}]*}' "$1" | grep -o "\"$2\":[^,}]*" | cut -d: -f2; }
autopilot=$(racer0 "$work/played.jsonl" autoPilot | uniq | tr '\n' ' ')
[[ "$autopilot" == "0 1 0 1"* ]] || fail "autoPilot of the keyboard racer went: $autopilot"
grep -q '"sounds":\[[^]]*"fly"' "$work/played.jsonl" || fail "no boost sound (\"fly\") in the trace"
grep -q -- '-> No' "$work/played.err" || fail "no message box answered No on stderr"
scene_at() { sed -n "${1}p" "$work/played.jsonl" | grep -o '"scene":[0-9]*' | cut -d: -f2; }
[ "$(scene_at 2950)" = 1 ] && [ "$(scene_at 6450)" = 1 ] || fail "the race did not go on after Escape, No"
grep -q '"cleared":true' "$work/played.jsonl" || fail "the race never finished"
scenes=$(grep -o '"scene":[0-9]*' "$work/played.jsonl" | uniq | cut -d: -f2 | tr '\n' ' ')
[ "$scenes" = "0 1 0 1 " ] || fail "scene sequence was: $scenes"

if [ "$failures" -ne 0 ]; then exit 1; fi
echo "PASS: $frames frames recorded and replayed identically (seed $seed, $(grep -vc '^#' "$work/recorded.input") recorded events)"
echo "      autoPilot: $autopilot; scenes: $scenes"
