#!/usr/bin/env bash
# Missing or broken content: with each content folder removed, or a file replaced by garbage or cut
# short, the game still starts, reaches the race, says what is wrong on stderr and never crashes;
# with no data/ folder at all it says where it looked and exits with 1.
# A course left without checkpoints says so in a box and is back on the title within 400 frames.
# With no display at all, a windowed start explains why and exits non-zero.
# Usage: proof_missing_content.sh GAME_DIR BUILD_DIR
set -u
source "$(dirname "$0")/lib.sh"
e2e_args "$@"
e2e_need_game data
"$game_dir/orlenda" --help 2>/dev/null | grep -q -- --trace || e2e_skip "this game has no automation flags yet"
# A silent skip of a broken file is a gap rather than a failure unless PROOF_STRICT=1.
strict=${PROOF_STRICT:-0}
gaps=0
e2e_scratch
printf '10 down RETURN\n12 up RETURN\n' > "$work/enter.txt"

# Deterministic garbage so a failure reproduces.
garbage() { LC_ALL=C awk -v n="$2" 'BEGIN { srand(20261207); for (i = 0; i < n; i++) printf "%c", int(rand() * 256) }' > "$1"; }

failures=0
fail() { echo "FAIL [$case_name]: $*"; failures=$((failures + 1)); }

# Long enough for Enter, the fade into the race, and 400 frames more.
frames=500
no_course="チェックポイントがありません"
# The race scene shows the box in its set-up, on its first traced frame; from there the title must be
# back within 400 frames, and stay.
back_to_title() {
    local shown back
    shown=$(grep -m1 -o '"frame":[0-9]*,"scene":1,' "$work/trace.jsonl" | grep -o '[0-9]*' | head -1)
    if [ -z "$shown" ]; then fail "the no-checkpoint box came without the race scene"; return; fi
    back=$(awk -v from="$shown" -F'"frame":|,"scene":' '$2 > from && $3 + 0 == 0 { print $2; exit }' "$work/trace.jsonl")
    if [ -z "$back" ] || [ $((back - shown)) -gt 400 ]; then
        fail "no-checkpoint box at frame $shown, but no title within 400 frames"; return
    fi
    [[ "$(tail -n 1 "$work/trace.jsonl")" == *'"scene":0,'* ]] || fail "left the title again after frame $back"
    echo "     [$case_name] no checkpoints: box at frame $shown, title again at frame $back"
}

# Runs the game in a fresh hard-linked copy after `mutate` (a shell snippet run in the copy);
# `mention` is a pattern that must appear in a stderr line.
run_case() {
    case_name=$1; local mutate=$2 mention=$3 before=$failures
    local copy="$work/game"
    rm -rf "$copy"
    cp -al "$game_dir" "$copy" || { fail "cannot copy the game"; return; }
    (cd "$copy" && eval "$mutate")
    local rc=0
    (cd "$copy" && timeout 60 ./orlenda --headless --lang ja --frames $frames --input "$work/enter.txt" \
        --trace "$work/trace.jsonl" >"$work/out.txt" 2>"$work/err.txt") || rc=$?
    if [ $rc -ge 124 ]; then fail "crashed or hung (exit $rc)"; tail -20 "$work/err.txt"; return; fi
    [ $rc -eq 0 ] || fail "exit $rc"
    grep -q "Sanitizer\|runtime error:" "$work/err.txt" && fail "sanitizer report" && head -30 "$work/err.txt"
    local lines last
    lines=$(wc -l < "$work/trace.jsonl" 2>/dev/null || echo 0)
    [ "$lines" -eq $frames ] || fail "$lines trace lines, expected $frames"
    if grep -q "$no_course" "$work/err.txt"; then
        back_to_title
    else
        last=$(tail -n 1 "$work/trace.jsonl" 2>/dev/null)
        [[ "$last" == *'"scene":1,'* ]] || fail "did not reach the race: ${last:0:80}"
    fi
    if ! grep -qiE -- "$mention" "$work/err.txt"; then
        if [ "$strict" = 1 ]; then
            fail "no stderr line names the problem (/$mention/)"; sed 's/^/      /' "$work/err.txt" | head -5
        else
            echo "GAP  [$case_name] no stderr line names the problem (/$mention/)"; gaps=$((gaps + 1)); return
        fi
    fi
    # One line per problem, not one per frame.
    local spam
    spam=$(sort "$work/err.txt" | uniq -c | sort -rn | awk '$1 > 3 { print; exit }')
    [ -z "$spam" ] || fail "repeated stderr line: $spam"
    [ "$failures" -eq "$before" ] || return
    echo "ok   [$case_name] exit $rc, $(wc -l < "$work/err.txt") stderr lines: $(grep -iE -m1 -- "$mention" "$work/err.txt" | cut -c1-110)"
}

# Folders removed.
for folder in data/Map data/MapObject data/XFile data/Texture data/Effect data/Sound Shader; do
    run_case "no $folder" "rm -rf $folder" "${folder#data/}|msg"
done

# No data/ at all: nothing to play, so one box names every folder searched and the game ends with 1.
case_name="no data"
rm -rf "$work/game" && cp -al "$game_dir" "$work/game" && rm -rf "$work/game/data"
rc=0
(cd "$work/game" && env -u ORLENDA_DATA timeout 60 ./orlenda --headless --frames 300 --input "$work/enter.txt" \
    >"$work/out.txt" 2>"$work/err.txt") || rc=$?
boxes=$(grep -c '^\[' "$work/err.txt")
if [ $rc -ne 1 ]; then fail "exit $rc, expected 1"; cat "$work/err.txt"
elif [ "$boxes" -ne 1 ]; then fail "$boxes message boxes, expected one"; cat "$work/err.txt"
elif ! grep -q "looked for data/ and Shader/" "$work/err.txt" || ! grep -qF "  $work/game  (" "$work/err.txt" ||
     ! grep -qF "/share/orlenda  (" "$work/err.txt"; then fail "the box does not name the folders searched"; cat "$work/err.txt"
else echo "ok   [no data] exit 1, one box naming $(grep -c '^  /' "$work/err.txt") folders"
fi

# Files replaced by garbage, or cut to their first third.
for file in data/Map/map2.map data/MapObject/church.x data/MapObject/checkpoint.x data/XFile/aaa/perlita.x \
            data/XFile/houki.x data/XFile/SkySphere/Sky.x data/Texture/number.png data/Texture/titleback.png \
            data/Effect/magiccircle.png data/MapObject/ground.png data/Sound/BGM.wav data/Sound/get.wav \
            Shader/Sample.fx Shader/Blur.fx; do
    [ -f "$game_dir/$file" ] || { echo "skip [$file]: not in this build"; continue; }
    name=$(basename "$file")
    run_case "garbage $file" "rm -f $file && garbage $file 3000" "$name|msg"
    size=$(stat -c %s "$game_dir/$file")
    run_case "cut $file" "head -c $((size / 3)) '$game_dir/$file' > $file.cut && rm -f $file && mv $file.cut $file" "$name|msg"
done

# No display at all: a windowed start cannot open its window and says so.
case_name="no display"
rc=0
(cd "$game_dir" && env -u DISPLAY -u WAYLAND_DISPLAY timeout 30 ./orlenda --windowed --frames 5 \
    >"$work/out.txt" 2>"$work/err.txt") || rc=$?
if [ $rc -eq 0 ] || [ $rc -ge 124 ]; then
    fail "exit $rc, expected a clean non-zero exit"
elif ! grep -qiE "display|window|video" "$work/err.txt"; then
    fail "no reason on stderr"; cat "$work/err.txt"
else
    echo "ok   [no display] exit $rc: $(grep -iE -m1 "display|window|video" "$work/err.txt")"
fi

if [ "$failures" -ne 0 ]; then echo "$failures failures"; exit 1; fi
echo "PASS: every missing or broken content case ran to the race, or back to the title without checkpoints, without a crash ($gaps silent gaps)"
