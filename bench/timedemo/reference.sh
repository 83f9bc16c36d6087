#!/usr/bin/env bash
# The reference races whose traces must not change unless a change to the race is meant: writes,
# for each, the SHA-256 of the whole --fixed-clock trace and the race state's hash every 10th frame.
# Usage: bench/timedemo/reference.sh GAME_DIR OUT_DIR   (tests/data/reference holds the committed ones)
set -euo pipefail
game_dir=$(cd "${1:?game folder}" && pwd)
out=$(mkdir -p "${2:?output folder}" && cd "$2" && pwd)
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# name seed frames script
races=("timedemo 1 4200 $here/race.input" "keyboard 2 5200 $here/keyboard.input")
cd "$game_dir"
for race in "${races[@]}"; do
    read -r name seed frames script <<< "$race"
    ./orlenda --headless --seed "$seed" --frames "$frames" --input "$script" --trace "$work/$name.jsonl" \
        > /dev/null 2> "$work/$name.err"
    sha256sum < "$work/$name.jsonl" | cut -d' ' -f1 > "$out/$name.sha256"
    python3 - "$work/$name.jsonl" > "$out/$name.hashes" <<'PY'
import json, sys
for line in open(sys.argv[1]):
    frame = json.loads(line)
    if "hash" in frame and frame["frame"] % 10 == 0:
        print(frame["frame"], frame["hash"])
PY
done
