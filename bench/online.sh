#!/usr/bin/env bash
# Online race figures: three headless machines race a race flown by hand with busy controls
# (timedemo/busy.input: throttle, turn, pitch and boost changing every few frames, so guesses go wrong
# and rollbacks are real), the two that join through udprelay with 75 ms each way (150 ms round trip),
# +-30 ms jitter and 5 % loss; then two machines with nothing added, on the same controls. Prints each machine's rollbacks per second, mean rollback depth,
# p99 time re-running updates per frame and bytes sent per second, and whether every machine's
# confirmed hashes agree. Everything on 127.0.0.1 under a timeout; about two minutes.
# Usage: bench/online.sh [BUILD]
set -uo pipefail
cd "$(dirname "$0")/.."
root=$PWD
build=${1:-build}
input=$root/bench/timedemo/busy.input
work=$(mktemp -d)
pids=()
trap 'kill "${pids[@]}" 2>/dev/null; rm -rf "$work"' EXIT
port=$((20000 + RANDOM % 20000))
status=0

machine() { # NAME FLAGS...
    local name=$1; shift
    (cd "$build/game" && timeout 200 ./orlenda --headless --frames 3600 --input "$input" --name "$name" --stats \
        --trace "$work/$name.jsonl" "$@" >"$work/$name.out" 2>"$work/$name.err")
}
agree() { # TRACES...: the confirmed hashes every machine shares
    python3 - "$@" <<'PY'
import json, sys
maps = []
for path in sys.argv[1:]:
    m = {}
    for line in open(path):
        f = json.loads(line)
        if "net" in f: m[f["net"]["confirmed"]] = f["net"]["confirmedHash"]
    maps.append(m)
common = set(maps[0]).intersection(*maps[1:])
bad = [u for u in common if len({m[u] for m in maps}) > 1]
print(f"   confirmed hashes: {len(common)} updates in common up to {max(common, default=0)}, "
      + ("all equal" if not bad else f"DIFFER from update {min(bad)}"))
sys.exit(1 if bad or not common else 0)
PY
}
figures() { # NAME
    awk -v n="$1" '/^net_/ { line = line " " $1 "=" $2 } END { print "   " n ":" line }' "$work/$1.out"
}

echo "== online: three machines, 150 ms round trip, +-30 ms jitter, 5 % loss"
"$build/tools/udprelay" --listen $((port + 1)) --to "$port" --delay 75 --jitter 30 --loss 5 --seconds 200 \
    >/dev/null &
pids+=($!)
machine Ada --host "$port" --peers 2 &
pids+=($!); host=$!
sleep 0.5
machine Bo --join 127.0.0.1:$((port + 1)) &
pids+=($!); one=$!
sleep 1
machine Cy --join 127.0.0.1:$((port + 1))
wait $host $one
for name in Ada Bo Cy; do figures $name; done
agree "$work/Ada.jsonl" "$work/Bo.jsonl" "$work/Cy.jsonl" || status=1

echo "== online: two machines, nothing added"
machine Dee --host $((port + 2)) &
pids+=($!); host=$!
sleep 0.5
machine Eve --join 127.0.0.1:$((port + 2))
wait $host
for name in Dee Eve; do figures $name; done
agree "$work/Dee.jsonl" "$work/Eve.jsonl" || status=1
exit $status
