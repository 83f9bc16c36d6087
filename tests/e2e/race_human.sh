#!/usr/bin/env bash
# Headless race flown from the keyboard like a player would: throttle, turns with the arrows, one
# boost, pitch up and down. A small pilot watches the trace and writes the next few frames of keys,
# then the whole key script is replayed once more and checked: the racer stays in the world and
# passes at least the first three checkpoints.
# Usage: race_human.sh GAME_DIR BUILD_DIR
set -u
source "$(dirname "$0")/lib.sh"
e2e_args "$@"
course=$source_dir/content/course/course.txt
e2e_need_game
[ -f "$course" ] || e2e_skip "no course description"
e2e_need_python fly and read the trace
e2e_scratch
cd "$game_dir" || exit 1
printf '1 down RETURN\n' > "$work/probe.txt"
./orlenda --headless --frames 2 --input "$work/probe.txt" --trace "$work/probe.jsonl" > /dev/null 2>&1
if [ ! -s "$work/probe.jsonl" ]; then
    e2e_skip "the game wrote no trace (its automation entry is not in place)"
fi

python3 - "$course" "$work" <<'PY'
import json, math, os, re, subprocess, sys

course_file, work = sys.argv[1], sys.argv[2]
checkpoints = {}
for line in open(course_file):
    m = re.match(r"\s*object\s+CheckPoint\s+pos\s+(\S+)\s+(\S+)\s+(\S+).*number\s+(\d+)", line)
    if m:
        checkpoints[int(m.group(4))] = tuple(float(m.group(i)) for i in (1, 2, 3))
targets = [checkpoints[i] for i in sorted(checkpoints)][:4]

CHUNK = 6          # frames between two looks at the screen
LIMIT = 3000       # frames of the whole run
events = ["10 down RETURN", "12 up RETURN"]
held = set()

def run(frames):
    with open(os.path.join(work, "input.txt"), "w") as f:
        f.write("\n".join(events) + "\n")
    trace = os.path.join(work, "trace.jsonl")
    subprocess.run(["./orlenda", "--headless", "--frames", str(frames), "--input",
                    os.path.join(work, "input.txt"), "--trace", trace],
                   check=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    return [json.loads(l) for l in open(trace)]

def press(frame, keys):
    for key in sorted(held - keys):
        events.append(f"{frame} up {key}")
    for key in sorted(keys - held):
        events.append(f"{frame} down {key}")
    held.clear()
    held.update(keys)

def wrap(angle):
    while angle > 180: angle -= 360
    while angle <= -180: angle += 360
    return angle

# Wait for the start, then fly.
lines = run(400)
start = next(l["frame"] for l in lines if l.get("raceStarted"))
frame, boosted, boost_until = start, False, 0
while frame < LIMIT:
    lines = run(frame)
    now, before = lines[-1], lines[-2]
    me, was = now["racers"][0], before["racers"][0]
    k = me["nextCheckPoint"]
    if k >= 3 or me.get("finished"):
        break
    x, y, z = me["pos"]
    tx, ty, tz = targets[k]
    yaw_rate = wrap(me["yaw"] - was["yaw"])
    error = wrap(math.degrees(math.atan2(tx - x, tz - z)) - me["yaw"])
    distance = math.hypot(tx - x, tz - z)
    keys = {"SPACE"}
    # Turn towards the checkpoint, letting go early enough for the turn rate to die away.
    if error > 1.5 and error > yaw_rate * 15:
        keys.add("RIGHT")
    elif error < -1.5 and error < yaw_rate * 15:
        keys.add("LEFT")
    # Climb or dive towards its height.
    wanted_pitch = max(-30.0, min(30.0, math.degrees(math.atan2(ty - y, max(distance, 1.0)))))
    if me["pitch"] < wanted_pitch - 1.5:
        keys.add("UP")
    elif me["pitch"] > wanted_pitch + 1.5:
        keys.add("DOWN")
    # One boost on a straight.
    if not boosted and abs(error) < 4 and distance > 200 and me["speed"] > 1.5:
        boosted, boost_until = True, frame + 40
    if frame < boost_until:
        keys.add("SHIFT")
    press(frame, keys)
    frame += CHUNK
press(frame, set())  # hands off: the racer coasts and hangs in the air

with open(os.path.join(work, "input.txt"), "w") as f:
    f.write("\n".join(events) + "\n")
print(f"pilot wrote {len(events)} key events up to frame {frame}")
with open(os.path.join(work, "frames.txt"), "w") as f:
    f.write(str(frame + 300))
PY
[ $? -eq 0 ] || { echo "FAIL: the pilot could not fly"; exit 1; }

if ! ./orlenda --headless --frames "$(cat "$work/frames.txt")" --input "$work/input.txt" --trace "$work/trace.jsonl" \
        > /dev/null 2> "$work/stderr.txt"; then
    echo "FAIL: the game exited with an error"; cat "$work/stderr.txt"; exit 1
fi

python3 - "$work/trace.jsonl" "$work/input.txt" <<'PY'
import json, sys

lines = [json.loads(l) for l in open(sys.argv[1])]
keys = open(sys.argv[2]).read()
race = [l for l in lines if l.get("scene") == 1 and "racers" in l]
failures = []
for key in ("SPACE", "LEFT", "RIGHT", "UP", "DOWN", "SHIFT"):
    if f"down {key}" not in keys:
        failures.append(f"the flight never used {key}")
passed = max(l["racers"][0]["nextCheckPoint"] for l in race)
print(f"keyboard racer passed {passed} checkpoints")
if passed < 3:
    failures.append(f"passed only {passed} checkpoints")
for l in race:
    x, y, z = l["racers"][0]["pos"]
    if not (abs(x) < 1500 and abs(z) < 1500 and 0 < y < 400):
        failures.append(f"left the world at frame {l['frame']}: {l['racers'][0]['pos']}")
        break
    if l["racers"][0]["autoPilot"] != 0:
        failures.append(f"the automatic pilot took over at frame {l['frame']}")
        break
for f in failures:
    print("FAIL: " + f)
sys.exit(1 if failures else 0)
PY
