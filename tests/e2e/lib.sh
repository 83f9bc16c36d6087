# shellcheck shell=bash disable=SC2034  # the variables set here are the scripts' own
# What every end-to-end script starts with, sourced as its first step:
#     source "$(dirname "$0")/lib.sh"
# CMake runs each script from the source tree (never a copy in the build folder) with GAME_DIR and
# BUILD_DIR as its arguments, so this file is always found next to the script. ctest knows no
# skipped status here: a script that cannot run says SKIP and passes (exit 0).
# Not a test itself: CMake leaves this file out of the e2e_* tests.

# The source tree this file belongs to.
source_dir=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)

# e2e_args GAME_DIR [BUILD_DIR]: game_dir and build_dir as absolute paths (build_dir empty when not
# given; a folder that does not exist stays as given, and e2e_need_game then skips).
e2e_args() {
    game_dir=$(cd "${1:?game folder}" 2>/dev/null && pwd || echo "$1")
    build_dir=${2:+$(cd "$2" 2>/dev/null && pwd || echo "$2")}
}

# e2e_skip REASON...: says why the script cannot run, and ends it as passed.
e2e_skip() {
    echo "SKIP: $*"
    exit 0
}

# e2e_need_game [FILE]: skips unless the game folder holds the game and its generated content, FILE
# below the game folder (data/Map/map2.map, the course every race starts on, unless named).
e2e_need_game() {
    local file=${1:-data/Map/map2.map}
    [ -x "$game_dir/orlenda" ] || e2e_skip "no game in $game_dir (build the orlenda target first)"
    [ -e "$game_dir/$file" ] || e2e_skip "no generated content in $game_dir/data (build the content target first)"
}

# e2e_need_python WHAT: skips unless python3 is there to do WHAT ("read the trace").
e2e_need_python() {
    command -v python3 >/dev/null || e2e_skip "python3 is needed to $*"
}

# e2e_scratch: a scratch folder $work, removed at exit with anything left in it (read-only folders
# too) unless KEEP is set; the processes listed in $pids are stopped at exit first, so a failing
# script leaves no game running. A script empties $pids once it has waited for them all.
e2e_scratch() {
    work=$(mktemp -d)
    pids=()
    trap e2e_cleanup EXIT
}
e2e_cleanup() {
    [ ${#pids[@]} -eq 0 ] || kill "${pids[@]}" 2>/dev/null
    [ -n "${KEEP:-}" ] && { echo "kept $work"; return; }
    chmod -R u+w "$work" 2>/dev/null
    rm -rf "$work"
}

# e2e_port [COUNT]: sets port to a random UDP port of 127.0.0.1 between 20000 and 39999 with COUNT
# (1) ports from it free when asked, so two test runs at once rarely meet on one port. Skips when ten
# tries find none free: a race on a port another program holds fails for a reason not the game's.
e2e_port() {
    local count=${1:-1}
    port=$((20000 + RANDOM % 20000))
    command -v python3 >/dev/null || return 0
    for _ in 1 2 3 4 5 6 7 8 9 10; do
        port=$((20000 + RANDOM % 20000))
        python3 - "$port" "$count" 2>/dev/null <<'PY' && return
import socket, sys
first, count = int(sys.argv[1]), int(sys.argv[2])
for port in range(first, first + count):
    with socket.socket(socket.AF_INET, socket.SOCK_DGRAM) as probe:
        probe.bind(("127.0.0.1", port))
PY
    done
    e2e_skip "no $count free UDP port(s) on 127.0.0.1 in ten tries"
}
