#!/usr/bin/env bash
# Two builds of the game (gcc and clang, say) race the reference races alike: the race state's hash
# must agree on every frame. Runs from the first build's game folder, which holds the content.
# Usage: bench/timedemo/compare_builds.sh GAME_DIR OTHER_ORLENDA
set -uo pipefail
game_dir=$(cd "${1:?game folder}" && pwd)
other=$(cd "$(dirname "${2:?the other orlenda}")" && pwd)/$(basename "$2")
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$game_dir"
status=0
for race in "timedemo 1 4200 race.input" "keyboard 2 5200 keyboard.input"; do
    read -r name seed frames script <<< "$race"
    for build in first other; do
        binary=./orlenda
        [ "$build" = other ] && binary=$other
        # An instrumented build's leak report at exit is not what is compared here.
        if ! ASAN_OPTIONS=detect_leaks=0 "$binary" --headless --seed "$seed" --frames "$frames" \
                --input "$here/$script" --trace "$work/$name-$build.jsonl" > /dev/null 2> "$work/$name-$build.err"; then
            echo "!! $binary failed on the $name race:"; tail -3 "$work/$name-$build.err"; status=1
        fi
        python3 -c 'import json,sys; [print(json.loads(l).get("hash","-")) for l in open(sys.argv[1])]' \
            "$work/$name-$build.jsonl" > "$work/$name-$build.hashes" 2>/dev/null
    done
    if cmp -s "$work/$name-first.hashes" "$work/$name-other.hashes"; then
        echo "ok: the $name race's $(wc -l < "$work/$name-first.hashes") frame hashes agree"
    else
        echo "!! the $name race differs from frame $(cmp "$work/$name-first.hashes" "$work/$name-other.hashes" |
            awk '{ print $NF }')"
        status=1
    fi
done
exit $status
