#!/usr/bin/env bash
# Builds the libFuzzer targets with clang and runs each for FUZZ_SECONDS (default 60).
# Seed corpora come from the generated content of the normal build (build/game/data) and from
# tests/data/fuzz/<target>/ (kept crash reproducers). Usage: bench/fuzz.sh [seconds]
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-${FUZZ_SECONDS:-60}}
build=${FUZZ_BUILD:-build-fuzz}
game=${GAME_DIR:-build/game}
CC=clang CXX=clang++ cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DORLENDA_FUZZ=ON \
    -DORLENDA_WERROR="${ORLENDA_WERROR:-OFF}" >/dev/null
cmake --build "$build" --target fuzzers -j "$(nproc)"

seed_corpus() { # target, then file-name patterns taken from the generated content
    local target=$1; shift
    local dir="$build/corpus/$target"
    mkdir -p "$dir"
    for pattern in "$@"; do
        find "$game/data" "$game/Shader" -name "$pattern" -size -512k -exec cp {} "$dir/" \; 2>/dev/null || true
    done
    if [ -d "tests/data/fuzz/$target" ]; then cp tests/data/fuzz/"$target"/* "$dir/" 2>/dev/null || true; fi
    echo "$dir"
}

status=0
for fuzzer in "$build"/fuzz/*; do
    [ -x "$fuzzer" ] || continue
    name=$(basename "$fuzzer")
    case "$name" in
        map_fuzz) corpus=$(seed_corpus "$name" '*.map') ;;
        xfile_fuzz) corpus=$(seed_corpus "$name" 'houki.x' 'Sky.x' '*.x') ;;
        wave_file_fuzz) corpus=$(seed_corpus "$name" 'push.wav' 'get.wav' 'go.wav') ;;
        png_fuzz) corpus=$(seed_corpus "$name" 'arrow.png' 'cross.png' 'rank.png') ;;
        fx_fuzz) corpus=$(seed_corpus "$name" '*.fx') ;;
        *) corpus=$(seed_corpus "$name") ;;
    esac
    mkdir -p "$build/artifacts/$name"
    echo "== $name for ${seconds}s (corpus $(ls "$corpus" | wc -l) files)"
    # FUZZ_SEED fixes the mutation sequence, so a CI run repeats what was checked before it landed.
    if ! "$fuzzer" "$corpus" -max_total_time="$seconds" -rss_limit_mb=1024 -max_len=262144 ${FUZZ_SEED:+-seed=$FUZZ_SEED} \
            -artifact_prefix="$build/artifacts/$name/" -print_final_stats=1 2>"$build/$name.log"; then
        echo "!! $name found a crash: see $build/artifacts/$name/ and $build/$name.log"
        status=1
    fi
    grep -E "stat::number_of_executed_units|stat::peak_rss_mb" "$build/$name.log" || true
done
exit $status
