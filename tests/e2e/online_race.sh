#!/usr/bin/env bash
# Online races on 127.0.0.1: three headless machines race to the finish, one of them through a relay
# with 150 ms round trip, +-30 ms jitter, 5 % loss and garbage, replayed and oversized datagrams,
# another killed mid-race, both joining at the same moment; the two left agree on every confirmed
# update's hash, and the killed machine's racer finishes on its automatic pilot. Then a machine whose course differs is refused,
# with the reason on both sides. Every process runs under a timeout.
# Usage: online_race.sh GAME_DIR BUILD_DIR
set -u
source "$(dirname "$0")/lib.sh"
e2e_args "$@"
: "${build_dir:?build folder}"
e2e_need_game
relay=$build_dir/tools/udprelay
[ -x "$relay" ] || e2e_skip "no udprelay in $build_dir"
e2e_scratch
cd "$game_dir" || exit 1
status=0
fail() { echo "FAIL: $*"; status=1; }
# The host's port, the relay's in front of it, and a second host's.
e2e_port 3
# Enter, then C hands each racer to the automatic pilot. The race starts once both machines have
# joined, about 100 frames in on a quiet machine; a C still in the lobby would leave a racer nobody
# flies, so it comes 10 s in, and the pilot's ~3 000 frames to the finish still end well before 5 500.
input=$work/race.input
printf '10 down RETURN\n12 up RETURN\n700 down C\n704 up C\n' >"$input"
run() { # NAME FRAMES FLAGS...
    local name=$1 frames=$2; shift 2
    timeout 200 ./orlenda --headless --frames "$frames" --input "$input" --name "$name" \
        --trace "$work/$name.jsonl" "$@" >"$work/$name.out" 2>"$work/$name.err"
}

"$relay" --listen $((port + 1)) --to "$port" --delay 75 --jitter 30 --loss 5 --hostile "${HOSTILE_MS:-500}" --seconds 150 \
    >"$work/relay.out" &
pids+=($!)
run Ada 5500 --host "$port" --peers 2 --stats &
host=$!
sleep 0.5
# Both join at the same moment; Cy is killed without a goodbye after 15 s.
run Bo 5500 --join 127.0.0.1:$((port + 1)) --stats &
joined=$!
timeout -s KILL 15 ./orlenda --headless --frames 5500 --input "$input" --name Cy --join 127.0.0.1:"$port" \
    >/dev/null 2>"$work/Cy.err" &
pids+=($host $joined $!)
wait $host || fail "the host ended with $?"
wait $joined || fail "the machine behind the relay ended with $?"
grep -q "Cy left" "$work/Ada.err" || fail "the host did not say Cy left: $(tail -3 "$work/Ada.err")"
grep -q "Cy left" "$work/Bo.err" || fail "Bo's machine did not say Cy left: $(tail -3 "$work/Bo.err")"
python3 - "$work/Ada.jsonl" "$work/Bo.jsonl" "$work/Ada.err" <<'PY' || status=1
import json, re, sys
seats = re.search(r"the seats: (.*)", open(sys.argv[3]).read())
killed = seats.group(1).split(", ").index("Cy") if seats and "Cy" in seats.group(1) else -1
def read(path):
    hashes, last = {}, None
    for line in open(path):
        frame = json.loads(line)
        if "net" in frame:
            hashes[frame["net"]["confirmed"]] = frame["net"]["confirmedHash"]
            last = frame
    return hashes, last
(a, last_a), (b, last_b) = read(sys.argv[1]), read(sys.argv[2])
common = sorted(set(a) & set(b))
bad = [u for u in common if a[u] != b[u]]
ok = True
if bad:
    print(f"FAIL: confirmed hashes differ from update {bad[0]}"); ok = False
if not common or common[-1] < 2500:
    print(f"FAIL: the machines confirmed together only up to {common[-1] if common else 0}"); ok = False
for name, last in (("host", last_a), ("relayed machine", last_b)):
    racers = last["racers"] if last else []
    if len(racers) != 5 or not all(r["finished"] for r in racers):
        print(f"FAIL: on the {name} not every racer finished"); ok = False
    elif killed < 1 or racers[killed]["autoPilot"] != 1:
        print(f"FAIL: on the {name} the killed machine's racer is not on its pilot"); ok = False
print(f"agreed on {len(common)} confirmed updates up to {common[-1] if common else 0}")
sys.exit(0 if ok else 1)
PY
grep -E "^net_" "$work/Bo.out" | sed 's/^/   relayed: /'
cat "$work/relay.out" 2>/dev/null

# A course that differs: the host names it and so does the joining machine.
other=$work/other
mkdir -p "$other/data"
for entry in data/* Shader; do
    [ "$entry" = data/Map ] || ln -s "$PWD/$entry" "$other/$entry"
done
cp -r data/Map "$other/data/Map"
printf 'x' >>"$other/data/Map/map2.map"
run Dee 400 --host "$((port + 2))" &
host=$!
pids+=($host)
sleep 0.5
ORLENDA_DATA=$other run Eve 400 --join 127.0.0.1:"$((port + 2))"
wait $host
grep -q "Eve cannot race: the course map2 differs" "$work/Dee.err" || fail "the host did not name the course: $(cat "$work/Dee.err")"
grep -qE "(Cannot race|refused): the course map2 differs" "$work/Eve.err" || fail "the joining machine was not told: $(cat "$work/Eve.err")"
exit $status
