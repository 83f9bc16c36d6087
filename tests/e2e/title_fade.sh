#!/usr/bin/env bash
# Headless run: Enter at frame 10 on the title fades out for 86 frames, swaps to scene 1 and fades in.
# Usage: title_fade.sh GAME_DIR BUILD_DIR
set -u
source "$(dirname "$0")/lib.sh"
e2e_args "$@"
e2e_need_game data
e2e_scratch
printf '# Enter pressed at frame 10, released at frame 12\n10 down RETURN\n12 up RETURN\n' > "$work/input.txt"

cd "$game_dir" || exit 1
if ! ./orlenda --headless --frames 400 --input "$work/input.txt" --trace "$work/trace.jsonl" --stats \
        > "$work/stdout.txt" 2> "$work/stderr.txt"; then
    echo "FAIL: the game exited with an error"; cat "$work/stderr.txt"; exit 1
fi

failures=0
expect_line() { # frame, fragment
    local line
    line=$(sed -n "${1}p" "$work/trace.jsonl")
    if [[ "$line" != *"$2"* ]]; then
        echo "FAIL: frame $1 should contain $2"; echo "      got: $line"; failures=$((failures + 1))
    fi
}
expect_line 1 '{"frame":1,"scene":0,"fade":{"active":false'
expect_line 9 '"scene":0,"fade":{"active":false'
expect_line 10 '"scene":0,"fade":{"active":true,"alpha":3,"fadingIn":false}'
expect_line 94 '"scene":0,"fade":{"active":true,"alpha":255,"fadingIn":false}'
expect_line 95 '"scene":0,"fade":{"active":false,"alpha":255,"fadingIn":false}'
expect_line 96 '"scene":1,"fade":{"active":true,"alpha":252,"fadingIn":true}'
expect_line 181 '"scene":1,"fade":{"active":false,"alpha":0,"fadingIn":true}'
expect_line 400 '{"frame":400,"scene":1,'
if [ -f data/Sound/push.wav ]; then expect_line 10 '"sounds":["push"]'; fi

lines=$(wc -l < "$work/trace.jsonl")
[ "$lines" -eq 400 ] || { echo "FAIL: $lines trace lines, expected 400"; failures=$((failures + 1)); }
for key in "frames 400" "update_ms mean=" "render_ms mean=" "peak_rss_mb "; do
    grep -q "^$key" "$work/stdout.txt" || { echo "FAIL: --stats lacks '$key'"; failures=$((failures + 1)); }
done
if [ "$failures" -ne 0 ]; then exit 1; fi
echo "PASS: title fade-out, swap after 86+1 frames, fade-in"
cat "$work/stdout.txt"
