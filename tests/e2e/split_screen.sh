#!/usr/bin/env bash
# Two people at one screen, driven by scripts: each seat's racer follows only its own keys and both
# reach the finish with computer racers filling the grid; keyboard set 2 joins on the title and
# leaves again; a pad that joined and is pulled out mid-race hands its racer to the automatic pilot
# and takes it back when plugged in; 2P's pause holds the whole race; the race passes --synctest.
# Usage: split_screen.sh GAME_DIR BUILD_DIR
set -u
source "$(dirname "$0")/lib.sh"
e2e_args "$@"
e2e_need_game
e2e_need_python read the traces
e2e_scratch
cd "$game_dir" || exit 1
run() { # NAME FRAMES [FLAGS...]: the script $work/NAME.input, its trace $work/NAME.jsonl
    local name=$1 frames=$2
    shift 2
    if ! ./orlenda --headless --fixed-clock --seed 3 --frames "$frames" --input "$work/$name.input" \
            --trace "$work/$name.jsonl" "$@" > /dev/null 2> "$work/$name.err"; then
        echo "FAIL: the $name run ended badly:"; cat "$work/$name.err"; exit 1
    fi
}

# 1P takes the automatic pilot (C) first; 2P (set 2) calls theirs (Z) a hundred frames later.
cat > "$work/race.input" <<'EOF'
@ players 2
10 down RETURN
12 up RETURN
200 down C
204 up C
300 down Z
304 up Z
EOF
run race 3800
# Tab (set 2's Enter) joins on the title, 1 (set 2's Escape) leaves, Tab joins again.
cat > "$work/join.input" <<'EOF'
3 down TAB
5 up TAB
8 down 1
10 up 1
13 down TAB
15 up TAB
20 down RETURN
22 up RETURN
EOF
run join 130
# Pad 1 joins with A, flies by hand, is pulled out and plugged in again.
cat > "$work/pad.input" <<'EOF'
1 pad 1 connect
5 pad 1 button A down
7 pad 1 button A up
10 down RETURN
12 up RETURN
300 pad 1 button A down
600 pad 1 disconnect
700 pad 1 connect
701 pad 1 button A down
EOF
run pad 760
# 2P's pause (2) at 500 holds everyone; at 700 it lets the race go on.
cat > "$work/pause.input" <<'EOF'
@ players 2
10 down RETURN
12 up RETURN
200 down C
204 up C
500 down 2
504 up 2
700 down 2
704 up 2
EOF
run pause 760
# The whole two-person race stepped again from saved states after every update.
cp "$work/race.input" "$work/sync.input"
run sync 3800 --synctest 8

python3 - "$work" <<'PY'
import json, sys
work = sys.argv[1]
def frames(name):
    return {f["frame"]: f for f in map(json.loads, open(f"{work}/{name}.jsonl"))}
problems = []
def check(ok, what):
    if not ok: problems.append(what)
def seat_racer(frame, seat):
    return next(r for r in frame["racers"] if r.get("seat") == seat)

race = frames("race")
first = next(f for f in race.values() if "racers" in f)
check([r.get("seat") for r in first["racers"]] == [0, 1, None, None, None],
      f"the grid is the two people then three computer racers: {[r.get('seat') for r in first['racers']]}")
check(seat_racer(race[280], 0)["autoPilot"] == 1 and seat_racer(race[280], 1)["autoPilot"] == 0,
      "1P's C gave the automatic pilot to 1P's racer alone")
check(seat_racer(race[320], 1)["autoPilot"] == 1, "2P's Z gave 2P's racer the automatic pilot")
last = race[max(race)]
check(all(r["finished"] for r in last["racers"][:2]) and last.get("cleared"),
      "both people reach the finish and the result screen shows")

join = frames("join")
check(join[6].get("people") == ["keyboard", "keyboard 2"], f"Tab joins set 2: {join[6].get('people')}")
check("people" not in join[11], "set 2's 1 leaves")
check(join[16].get("people") == ["keyboard", "keyboard 2"], "Tab joins again")
check(sum(1 for r in join[129].get("racers", []) if r.get("seat") is not None) == 2, "the race has both seats")

pad = frames("pad")
check(pad[8].get("people") == ["keyboard", "pad 1"], f"A on pad 1 joins: {pad[8].get('people')}")
check(seat_racer(pad[598], 1)["autoPilot"] == 0, "the pad flies its racer by hand")
check(seat_racer(pad[605], 1)["autoPilot"] == 1, "the pad pulled out hands its racer to the automatic pilot")
check(seat_racer(pad[705], 1)["autoPilot"] == 0, "the pad plugged in again takes its racer back")

pause = frames("pause")
check(pause[520].get("paused") and pause[690].get("paused"), "2P's pause holds the race")
check(pause[520]["hash"] == pause[690]["hash"] and pause[520]["clock"] == pause[690]["clock"],
      "nothing moves while 2P's pause holds")
check(not pause[720].get("paused") and pause[720]["hash"] != pause[690]["hash"], "2P's pause lets the race go on")

if problems:
    print("FAIL:", *problems, sep="\n  ")
    sys.exit(1)
print("ok: two seats race to the finish on their own keys, join and leave, hand over a pulled pad, pause for all, pass the synctest")
PY
