#!/usr/bin/env bash
# Automated runs that cannot do what they were asked never end with status 0: output that cannot
# be written (a full device, a read-only folder) ends with 1 and names the file and the reason;
# flags that cannot work together end with 2 before anything runs. --help and --version end with 0.
# Usage: automation_failures.sh GAME_DIR BUILD_DIR
set -u
source "$(dirname "$0")/lib.sh"
e2e_args "$@"
e2e_need_game data
e2e_scratch
mkdir "$work/readonly" && chmod 555 "$work/readonly"
chmod 755 "$work"
printf '3 down RETURN\n5 up RETURN\n' > "$work/enter.txt"
chmod 644 "$work/enter.txt"
failures=0

# A read-only folder stops nobody when we are root, so the game then runs as an ordinary user
# (without the sanitizer build's leak check, which needs to trace the process).
as_user=()
if [ "$(id -u)" = 0 ] && command -v setpriv >/dev/null; then
    as_user=(env "ASAN_OPTIONS=${ASAN_OPTIONS:-}:detect_leaks=0" setpriv --reuid=65534 --regid=65534 --clear-groups)
fi

# expect NAME STATUS STDERR-PATTERN -- command...
expect() {
    local name=$1 status=$2 pattern=$3 rc=0
    shift 4
    (cd "$game_dir" && timeout 60 "$@" >"$work/out.txt" 2>"$work/err.txt") || rc=$?
    if [ "$rc" -ne "$status" ]; then
        echo "FAIL [$name]: exit $rc, expected $status"; sed 's/^/      /' "$work/err.txt" | head -5
        failures=$((failures + 1))
    elif ! grep -qE -- "$pattern" "$work/err.txt" "$work/out.txt"; then
        echo "FAIL [$name]: nothing matches /$pattern/"; sed 's/^/      /' "$work/err.txt" | head -5
        failures=$((failures + 1))
    else
        echo "ok   [$name] exit $rc: $(grep -hE -m1 -- "$pattern" "$work/err.txt" "$work/out.txt" | head -1 | cut -c1-100)"
    fi
}

run=(./orlenda --headless --frames 30 --input "$work/enter.txt")
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build_dir/CMakeCache.txt" 2>/dev/null)
expect "--version" 0 "^orlenda ${version:-[0-9]+\.[0-9]+\.[0-9]+}\$" -- ./orlenda --version
expect "--help" 0 "--screenshot N:FILE.png" -- ./orlenda --help
expect "trace on a full device" 1 "cannot write /dev/full: No space left on device" -- "${run[@]}" --trace /dev/full
expect "record on a full device" 1 "cannot write /dev/full: No space left on device" -- "${run[@]}" --record /dev/full
expect "trace in a read-only folder" 1 "cannot write $work/readonly/t.jsonl: Permission denied" -- \
    "${as_user[@]}" "${run[@]}" --trace "$work/readonly/t.jsonl"
expect "record in a read-only folder" 1 "cannot write $work/readonly/r.txt: Permission denied" -- \
    "${as_user[@]}" "${run[@]}" --record "$work/readonly/r.txt"
expect "input is a folder" 2 "is a folder" -- ./orlenda --headless --frames 5 --input "$work"
expect "trace and record in one file" 2 "name the same file" -- "${run[@]}" --trace "$work/x" --record "$work/x"
expect "screenshot after the last frame" 2 "after the last frame" -- ./orlenda --windowed --frames 30 \
    --screenshot 31:"$work/a.png"
expect "screenshot of a headless run" 2 "draws nothing" -- "${run[@]}" --screenshot 5:"$work/a.png"
expect "unreadable input" 2 "No such file or directory" -- ./orlenda --headless --input "$work/none.txt"

# Screenshots need the OpenGL window; -ac lets the ordinary user reach the server. The GL driver's
# own allocations outlive the process's leak check, as in the sanitizer build's OpenGL tests.
if command -v xvfb-run >/dev/null; then
    expect "screenshots that cannot be written" 1 "screenshot $work/readonly/a.png not written: .*Permission denied" -- \
        env ASAN_OPTIONS="${ASAN_OPTIONS:-}:detect_leaks=0" xvfb-run -a -s "-screen 0 1280x720x24 -ac" "${as_user[@]}" ./orlenda --windowed --frames 3 \
        --screenshot 2:/dev/full --screenshot 3:"$work/readonly/a.png"
    grep -q "screenshot /dev/full not written: .*No space left on device" "$work/err.txt" ||
        { echo "FAIL [screenshots]: /dev/full not reported"; failures=$((failures + 1)); }
fi

if [ "$failures" -ne 0 ]; then echo "$failures failures"; exit 1; fi
echo "PASS: every failed automation run ends non-zero with its reason"
