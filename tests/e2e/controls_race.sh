#!/usr/bin/env bash
# Controls in a real race, headless and scripted: a key bound by a script header throttles and the
# old key no longer does; the pad's stick turns in proportion to its deflection and a pad pulled out
# mid-race lets go, and a recording of it replays the same; the pad's Start held from the title into
# the race does not pause it; --help shows the keys of --config; a pause holds the clock and every
# racer and the race then runs exactly as without it, shifted by the pause's length.
# Usage: controls_race.sh GAME_DIR BUILD_DIR
set -u
source "$(dirname "$0")/lib.sh"
e2e_args "$@"
e2e_need_game data
e2e_scratch
cd "$game_dir" || exit 1
export XDG_CONFIG_HOME="$work/config" # no settings file of the machine's user

run() { # name, frames, script lines
    local name=$1 frames=$2; shift 2
    printf '%s\n' "$@" > "$work/$name.txt"
    if ! ./orlenda --headless --seed 7 --frames "$frames" --input "$work/$name.txt" --trace "$work/$name.jsonl" \
            > /dev/null 2> "$work/$name.err"; then
        echo "FAIL: the $name run exited with an error"; tail -5 "$work/$name.err"; exit 1
    fi
}
start=("2 down RETURN" "3 up RETURN")
run bound_w 600 "@ key throttle=W" "${start[@]}" "400 down W"
run bound_space 600 "@ key throttle=W" "${start[@]}" "400 down SPACE"
run pad_half 560 "${start[@]}" "10 pad connect" "400 pad button A down" "500 pad axis LEFTX 0.5"
run pad_full 560 "${start[@]}" "10 pad connect" "400 pad button A down" "500 pad axis LEFTX 1.0"
run pad_pulled 700 "${start[@]}" "10 pad connect" "400 pad button A down" "500 pad axis LEFTX 1.0" "530 pad disconnect"
run pad_start_held 520 "1 pad connect" "2 pad button START down" "400 pad button START up" \
    "450 pad button START down" "451 pad button START up"
run plain 1200 "${start[@]}" "200 down C" "204 up C"
run paused 1300 "${start[@]}" "200 down C" "204 up C" "700 down P" "701 up P" "800 down P" "801 up P"

failures=0
# A recording holds the pad too, and replays to the same race.
./orlenda --headless --seed 7 --frames 560 --input "$work/pad_full.txt" --record "$work/pad.rec" >/dev/null 2>&1
./orlenda --headless --seed 7 --frames 560 --input "$work/pad.rec" --trace "$work/pad_replayed.jsonl" >/dev/null 2>&1
cmp -s "$work/pad_full.jsonl" "$work/pad_replayed.jsonl" || { echo "FAIL: the recorded pad run replays differently"; failures=1; }
grep -q "^500 pad axis LEFTX 1.00000$" "$work/pad.rec" || { echo "FAIL: the recording has no pad axis line"; failures=1; }
# --help lists the keys of the settings file in force.
printf '[keys]\nthrottle = W\n' > "$work/keys.ini"
./orlenda --config "$work/keys.ini" --help | grep -Eq "Throttle +W " || { echo "FAIL: --help does not show throttle = W"; failures=1; }

python3 - "$work" "$failures" <<'PY'
import json, sys
work = sys.argv[1]
def trace(name):
    with open(f"{work}/{name}.jsonl") as f:
        return [json.loads(line) for line in f]
failures = []
def check(ok, text):
    if not ok: failures.append(text)
def me(t, n): return t[n - 1]["racers"][0]

w, space = trace("bound_w"), trace("bound_space")
check(me(w, 600)["speed"] > 1.0, f"W bound to throttle did not throttle: speed {me(w, 600)['speed']}")
check(me(space, 600)["speed"] < 0.1, f"SPACE still throttles after rebinding: speed {me(space, 600)['speed']}")

half, full, pulled = trace("pad_half"), trace("pad_full"), trace("pad_pulled")
rate = lambda t, n: me(t, n)["yaw"] - me(t, n - 1)["yaw"]
check(abs(rate(full, 555) - 0.8) < 0.01, f"full stick turns at {rate(full, 555)}, not 0.8")
check(abs(rate(half, 555) - 0.4) < 0.01, f"half stick turns at {rate(half, 555)}, not 0.4")
check(me(full, 560)["speed"] > 0.5, "the A button did not throttle")
check(len(pulled) == 700 and pulled[-1]["scene"] == 1, "the race did not go on after the pad was pulled out")
check(abs(rate(pulled, 700)) < 0.01, f"still turning at {rate(pulled, 700)} after the pad was pulled out")
check(me(pulled, 700)["speed"] < me(pulled, 530)["speed"], "still throttling after the pad was pulled out")

held = trace("pad_start_held")
check(held[398]["scene"] == 1 and held[398]["raceStarted"], "the pad's Start did not start the race")
check(not any(line.get("paused") for line in held[:399]), "Start held from the title paused the race")
check(held[460].get("paused") is True, "a fresh press of Start did not pause the race")

plain, paused = trace("plain"), trace("paused")
strip = lambda line: {k: v for k, v in line.items() if k not in ("frame", "paused")}
check(all(plain[n] == paused[n] for n in range(699)), "the runs differ before the pause")
frozen = paused[698]
for line in paused[699:799]:
    check(line.get("paused") is True, f"frame {line['frame']} is not marked paused")
    check(line["clock"] == frozen["clock"] and line["racers"] == frozen["racers"],
          f"frame {line['frame']}: the clock or a racer moved during the pause")
mismatch = [n for n in range(700, 1201) if strip(paused[n + 100 - 1]) != strip(plain[n - 1])]
check(not mismatch, f"after the pause frame {mismatch[:1]} differs from the run without it, 100 frames earlier")
check(plain[-1]["raceStarted"] and not plain[-1]["clock"]["stopped"], "the compared stretch is not racing")
for text in failures: print("FAIL:", text)
if failures or sys.argv[2] != "0": sys.exit(1)
print("PASS: rebinding, analog pad turn (0.4 / 0.8 per frame), pad pulled out, 100-frame pause shifted exactly")
PY
