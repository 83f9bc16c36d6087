#!/usr/bin/env bash
# The title's Online screen: a headless host started by --host and a headless machine that joins
# through the lobby (N, Join, the remembered address erased, 127.0.0.1:PORT typed, Enter) race to
# the finish on 127.0.0.1 and agree on every confirmed hash; the address joined is remembered in the
# settings file; Escape's question mid-race leaves the race running (no box holds the machine). Every
# process runs under a timeout.
# Usage: online_lobby.sh GAME_DIR BUILD_DIR
set -u
source "$(dirname "$0")/lib.sh"
e2e_args "$@"
e2e_need_game
e2e_scratch
cd "$game_dir" || exit 1
status=0
fail() { echo "FAIL: $*"; status=1; }
e2e_port

# N, Down to "Join a race", Enter, the offered address erased, ADDRESS typed, Enter; then C hands
# the racer to the automatic pilot. The race starts when the host's does, about 90 frames later on a
# quiet machine and several seconds on a busy one, so both machines press C late enough to be sure
# the race is on (a press still in the lobby would leave a racer nobody flies: with CI's other tests
# beside it, 450 frames once were not enough). Mid-race Escape asks whether to leave, and N, five
# seconds on, races on; C comes after that answer. The pilot then needs about 2 800 frames to the
# finish, which leaves the run over 1 500 frames of waiting for the other machine.
join_script() {
    local address=$1 frame=30 i c key
    printf '10 down N\n12 up N\n16 down DOWN\n18 up DOWN\n22 down RETURN\n24 up RETURN\n'
    for i in $(seq 1 16); do
        echo "$frame down BACKSPACE"; echo "$((frame + 1)) up BACKSPACE"; frame=$((frame + 2))
    done
    for ((i = 0; i < ${#address}; i++)); do
        c=${address:i:1}
        case $c in .) key=PERIOD ;; :) key=SEMICOLON ;; *) key=$c ;; esac
        echo "$frame down $key"; echo "$((frame + 2)) up $key"; frame=$((frame + 4))
    done
    echo "$frame down RETURN"; echo "$((frame + 2)) up RETURN"
    echo "$((frame + 1000)) down ESCAPE"; echo "$((frame + 1002)) up ESCAPE"
    echo "$((frame + 1300)) down N"; echo "$((frame + 1302)) up N"
    echo "$((frame + 1400)) down C"; echo "$((frame + 1404)) up C"
    echo "$((frame + 1000))" >"$work/asked"
}
join_script "127.0.0.1:$port" >"$work/join.input"
printf '[network]\nlast_join = example.org:9\n' >"$work/join.ini"
printf '10 down RETURN\n12 up RETURN\n1500 down C\n1504 up C\n' >"$work/host.input"

timeout 220 ./orlenda --headless --frames 6800 --input "$work/host.input" --name Ada --host "$port" \
    --trace "$work/Ada.jsonl" >/dev/null 2>"$work/Ada.err" &
host=$!
pids+=($host)
# The script knocks once: it waits until the host listens (its port is taken), up to 30 s.
python3 - "$port" <<'PY'
import socket, sys, time
for _ in range(300):
    probe = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
    try:
        probe.bind(("127.0.0.1", int(sys.argv[1])))
    except OSError:
        sys.exit(0)
    finally:
        probe.close()
    time.sleep(0.1)
PY
timeout 220 ./orlenda --headless --frames 6800 --input "$work/join.input" --name Bo --config "$work/join.ini" \
    --trace "$work/Bo.jsonl" >/dev/null 2>"$work/Bo.err" || fail "the joining machine ended with $?: $(tail -3 "$work/Bo.err")"
wait $host || fail "the host ended with $?: $(tail -3 "$work/Ada.err")"
grep -q "the seats: Ada, Bo" "$work/Bo.err" || fail "the lobby did not join the race: $(cat "$work/Bo.err")"
grep -q "last_join = 127.0.0.1:$port" "$work/join.ini" || fail "the address was not remembered: $(cat "$work/join.ini")"
grep -q "Return to the title" "$work/Bo.err" && fail "Escape in an online race opened a box that holds the race"
python3 - "$work/Ada.jsonl" "$work/Bo.jsonl" "$(cat "$work/asked")" <<'PY' || status=1
import json, sys
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
# While the question was up the race went on: five seconds of it confirmed.
asked = int(sys.argv[3])
confirmed = {f["frame"]: f["net"]["confirmed"] for f in map(json.loads, open(sys.argv[2])) if "net" in f}
went_on = confirmed.get(asked + 290, 0) - confirmed.get(asked + 5, 0)
if went_on < 200:
    print(f"FAIL: under Escape's question the race confirmed only {went_on} updates")
    common = []
ok = bool(common) and all(a[u] == b[u] for u in common) and common[-1] > 2500
for last in (last_a, last_b):
    ok = ok and last is not None and all(r["finished"] for r in last["racers"])
print(f"{'' if ok else 'FAIL: '}agreed on {len(common)} confirmed updates up to {common[-1] if common else 0}; "
      f"every racer finished: {ok}")
sys.exit(0 if ok else 1)
PY
exit $status
