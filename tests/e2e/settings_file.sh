#!/usr/bin/env bash
# The player's settings file against scripted runs: a scripted run that changes an option leaves the
# file as it was; with --config (here a symbolic link) only the changed value's line changes, the
# link, the permissions, comments and unknown entries stay, and a value given by a flag stays out;
# a recording names its race choices and replays the same whatever the settings file says.
# Usage: settings_file.sh GAME_DIR BUILD_DIR
set -u
source "$(dirname "$0")/lib.sh"
e2e_args "$@"
e2e_need_game
e2e_scratch
cd "$game_dir" || exit 1
export XDG_CONFIG_HOME="$work/config"
settings="$XDG_CONFIG_HOME/orlenda/settings.ini"
failures=0
fail() { echo "FAIL: $*"; failures=1; }
run() { # NAME [flags...]
    local name=$1
    shift
    ./orlenda --headless "$@" > /dev/null 2> "$work/$name.err" || { fail "the $name run exited with $?"; cat "$work/$name.err"; }
}

# O opens the options, two rows down is the music, Left lowers it, Escape leaves and saves.
printf '%s\n' "2 down O" "3 up O" "5 down DOWN" "6 up DOWN" "8 down DOWN" "9 up DOWN" "11 down LEFT" "12 up LEFT" \
    "14 down ESCAPE" "15 up ESCAPE" > "$work/music.txt"
printf '%s\n' "10 down RETURN" "12 up RETURN" "200 down C" "204 up C" > "$work/race.txt"
# The sound library sets up files of its own in a fresh config folder on its first start.
run warm --frames 2

mkdir -p "$(dirname "$settings")"
printf '; my settings\nversion = 1\n\n[video]\n\tgraphics = full   ; the glow\nmystery = 7\n\n[audio]\nmusic = 50\n' \
    > "$settings"
printf '\n[keys]\nthrottle = W\n[race]\ndifficulty = hard\n' >> "$settings"
chmod 644 "$settings"
cp "$settings" "$work/original.ini"
run scripted --frames 20 --input "$work/music.txt"
cmp -s "$settings" "$work/original.ini" || fail "a scripted run without --config rewrote the settings file"
grep -q "changes kept for this run only" "$work/scripted.err" || fail "the scripted run did not say its change was kept"

cp "$work/original.ini" "$work/target.ini"
ln -s "$work/target.ini" "$work/link.ini"
run linked --frames 20 --input "$work/music.txt" --config "$work/link.ini" --graphics low
[ -L "$work/link.ini" ] || fail "saving through --config replaced the symbolic link"
[ "$(stat -c %a "$work/target.ini")" = 644 ] || fail "saving changed the mode to $(stat -c %a "$work/target.ini")"
# One step down from the file's 50 is 40; nothing else changes.
sed 's/^music = 50$/music = 40/' "$work/original.ini" > "$work/expected.ini"
cmp -s "$work/target.ini" "$work/expected.ini" || { fail "saving changed more than the music line"; diff "$work/expected.ini" "$work/target.ini"; }

# Four rows down is the throttle; Right turns the key rows to set 2, Enter waits for its new key.
# Space is set 1's throttle and is refused there; X is taken.
printf '%s\n' "2 down O" "3 up O" "5 down DOWN" "6 up DOWN" "8 down DOWN" "9 up DOWN" "11 down DOWN" "12 up DOWN" \
    "14 down DOWN" "15 up DOWN" "17 down RIGHT" "18 up RIGHT" "20 down RETURN" "21 up RETURN" "23 down SPACE" \
    "24 up SPACE" "26 down X" "27 up X" "29 down ESCAPE" "30 up ESCAPE" > "$work/keys2.txt"
printf 'version = 1\n' > "$work/keys2.ini"
run keys2 --frames 40 --input "$work/keys2.txt" --config "$work/keys2.ini"
grep -A20 '^\[keys.2\]' "$work/keys2.ini" | grep -qx 'throttle = X' ||
    { fail "a set-2 key bound on the options screen was not saved under [keys.2]"; cat "$work/keys2.ini"; }
grep -q '^throttle = SPACE' "$work/keys2.ini" && fail "set 2 took set 1's throttle key"

# A recording under --difficulty hard replays the same under a file that says easy, no ghost.
run recorded --seed 3 --frames 900 --input "$work/race.txt" --difficulty hard --record "$work/rec.txt" \
    --trace "$work/recorded.jsonl"
for header in "@ course map2" "@ difficulty hard" "@ ghost on" "@ seed 3"; do
    grep -qx "$header" "$work/rec.txt" || fail "the recording has no '$header' line"
done
printf '[race]\ndifficulty = easy\nghost = off\n' > "$settings"
run replayed --frames 900 --input "$work/rec.txt" --trace "$work/replayed.jsonl"
cmp -s "$work/recorded.jsonl" "$work/replayed.jsonl" || fail "the recording replays differently under another settings file"
# A script without headers plays as without a settings file.
printf '[race]\ndifficulty = hard\n' > "$settings"
run old --seed 3 --frames 900 --input "$work/race.txt" --trace "$work/old.jsonl"
rm "$settings"
run bare --seed 3 --frames 900 --input "$work/race.txt" --trace "$work/bare.jsonl"
cmp -s "$work/old.jsonl" "$work/bare.jsonl" || fail "a script without headers plays differently under difficulty = hard"
cmp -s "$work/bare.jsonl" "$work/recorded.jsonl" && fail "difficulty hard raced as normal: the comparison proves nothing"

[ $failures = 0 ] && echo "PASS: scripted runs leave the settings file alone, saving edits one line in place, replays ignore the file"
exit $failures
