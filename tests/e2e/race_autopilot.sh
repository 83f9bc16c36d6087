#!/usr/bin/env bash
# Headless race: Enter on the title, C once after the start so the keyboard racer flies on the
# automatic pilot; checks the countdown, the clock, the finish, the frozen result, every automatic
# racer's lap, that nobody gets stuck, and Enter back to the title.
# Usage: race_autopilot.sh GAME_DIR BUILD_DIR
set -u
source "$(dirname "$0")/lib.sh"
e2e_args "$@"
e2e_need_game
e2e_need_python read the trace
e2e_scratch
cat > "$work/input.txt" <<'KEYS'
# title: Enter
10 down RETURN
12 up RETURN
# racing: C hands the keyboard racer to the automatic pilot
400 down C
402 up C
# result screen: Enter back to the title
4000 down RETURN
4002 up RETURN
KEYS

cd "$game_dir" || exit 1
if ! ./orlenda --headless --frames 4200 --input "$work/input.txt" --trace "$work/trace.jsonl" --stats \
        > "$work/stdout.txt" 2> "$work/stderr.txt"; then
    echo "FAIL: the game exited with an error"; cat "$work/stderr.txt"; exit 1
fi
cat "$work/stdout.txt"
if [ ! -s "$work/trace.jsonl" ]; then
    e2e_skip "the game wrote no trace (its automation entry is not in place)"
fi

python3 - "$work/trace.jsonl" <<'PY'
import json, os, sys

lines = [json.loads(l) for l in open(sys.argv[1])]
failures = []
def check(ok, message):
    if not ok:
        failures.append(message)

race = [l for l in lines if l.get("scene") == 1 and "racers" in l]
check(race, "no race frames in the trace")
if not race:
    print("\n".join("FAIL: " + f for f in failures)); sys.exit(1)

# The countdown: the start marker's five warm-up frames plus every update after the fade-in,
# up to the frame on which "go" plays.
go = next((l["frame"] for l in race if "go" in l.get("sounds", [])), None)
check(go is not None, '"go" never played')
first_update = next(l["frame"] + 1 for l in race if not l["fade"]["active"])
if go is not None:
    countdown = 5 + go - first_update + 1
    print(f"countdown: {countdown} frames from the start signal to go (frame {go})")
    check(countdown == 156, f"countdown took {countdown} frames, expected 156")
    for l in race:
        if l["frame"] <= go:
            check(l["clock"]["elapsed"] == 0 and l["clock"]["stopped"], f"clock ran before go at frame {l['frame']}")
            check(not l["raceStarted"], f"race started before go at frame {l['frame']}")
start = next((l["frame"] for l in race if l["raceStarted"]), None)
check(start == (go or 0) + 1, f"race started at frame {start}, expected the frame after go")
after = [l for l in race if start and l["frame"] == start + 100]
check(after and after[0]["clock"]["elapsed"] > 0 and not after[0]["clock"]["stopped"], "clock not running after start")

# The keyboard racer on the automatic pilot finishes; the clock freezes at the final time.
check(all(l["racers"][0]["autoPilot"] == 1 for l in race if l["frame"] >= 400), "C did not hand over")
cleared = [l for l in race if l["cleared"]]
check(cleared, "the keyboard racer never finished")
if cleared:
    first = cleared[0]
    final = first["clock"]
    print(f"keyboard racer finished at frame {first['frame']} ({first['frame'] - start} frames after the start), "
          f"time {final['minutes']}:{final['seconds']:02}.{final['milliseconds']:03}, place {first['rank']}")
    check(first["racers"][0]["finished"], "cleared without finished")
    check(final["stopped"], "the clock still runs at the finish")
    if os.path.exists("data/Sound/clear.wav"):
        check("clear" in first.get("sounds", []), '"clear" did not play at the finish')
        check(sum("clear" in l.get("sounds", []) for l in lines) == 1, '"clear" played more than once')
    for l in cleared:
        check(l["clock"] == final, f"clock moved after the finish at frame {l['frame']}")
        check(l["rank"] == first["rank"], f"rank changed after the finish at frame {l['frame']}")
    expected = (final["elapsed"] // 60000, (final["elapsed"] // 1000) % 60, final["elapsed"] % 1000)
    check((final["minutes"], final["seconds"], final["milliseconds"]) == expected, "clock fields disagree")

# Every automatic racer completes a lap within 7 200 frames of the start.
for i in range(1, 5):
    done = next((l["frame"] for l in race if l["racers"][i]["finished"]), None)
    print(f"racer {i + 1}: lap in {done - start if done else None} frames")
    check(done is not None and done - start <= 7200, f"racer {i + 1} did not finish within 7200 frames")

# Nobody stays 600 frames on one checkpoint before finishing.
for i in range(5):
    last_change, current = start, race[0]["racers"][i]["nextCheckPoint"]
    for l in race:
        if l["frame"] < start:
            continue
        r = l["racers"][i]
        if r["finished"]:
            break
        if r["nextCheckPoint"] != current:
            current, last_change = r["nextCheckPoint"], l["frame"]
        elif l["frame"] - last_change >= 600:
            failures.append(f"racer {i + 1} stuck before checkpoint {current} at {r['pos']} (frame {l['frame']})")
            break

# Enter on the result screen leads back to the title after the fade-out.
title = next((l["frame"] for l in lines if l["frame"] > 4000 and l.get("scene") == 0), None)
check(title is not None and title - 4000 <= 90, f"no return to the title after Enter (scene 0 at {title})")
if title:
    check("racers" not in next(l for l in lines if l["frame"] == title), "racers traced on the title")

for f in failures:
    print("FAIL: " + f)
sys.exit(1 if failures else 0)
PY
