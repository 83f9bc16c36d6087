#!/usr/bin/env bash
# Soak: one long headless race (100 000 frames by default, about 27 minutes of game time) in which
# every racer finishes and keeps flying laps on the automatic pilot, effects are created and retired
# all along. Samples resident memory while it runs and reads the live-effect count from the trace;
# fails when memory grows after warm-up or the effect count is unbounded.
# Usage: bench/timedemo/soak.sh [BUILD] [FRAMES]
set -uo pipefail
cd "$(dirname "$0")/../.."
root=$PWD
build=${1:-build}
frames=${2:-100000}
warmup=${SOAK_WARMUP:-5000}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

cd "$build/game" || exit 1
started=$(date +%s.%N)
./orlenda --headless --seed 7 --frames "$frames" --input "$root/bench/timedemo/race.input" \
    --trace "$work/trace.jsonl" --stats >"$work/stats.txt" 2>"$work/stderr.txt" &
pid=$!
# Resident memory against the frame the game has reached, a few times a second.
while kill -0 "$pid" 2>/dev/null; do
    rss=$(awk '/^VmRSS/ { print $2 }' "/proc/$pid/status" 2>/dev/null)
    frame=$(tail -c 8192 "$work/trace.jsonl" 2>/dev/null | grep -o '"frame":[0-9]*' | tail -1 | cut -d: -f2)
    [ -n "$rss" ] && [ -n "$frame" ] && echo "$frame $rss" >>"$work/rss.txt"
    sleep 0.1
done
wait "$pid"; rc=$?
ended=$(date +%s.%N)
echo "== soak: $frames headless frames, exit $rc, wall $(awk -v s="$started" -v e="$ended" 'BEGIN { printf "%.1f", e - s }') s"
cat "$work/stats.txt"
[ "$rc" -eq 0 ] || { tail -20 "$work/stderr.txt"; exit 1; }

status=0
# Memory: first sample after warm-up against the last one.
awk -v w="$warmup" '$1 >= w && !first { first = $0 } { last = $0 } $1 >= w && $2 > max { max = $2 }
    END { split(first, a, " "); split(last, b, " ");
          printf "   RSS after warm-up (frame %d): %.1f MB; at the end (frame %d): %.1f MB; highest after warm-up %.1f MB\n",
                 a[1], a[2] / 1024, b[1], b[2] / 1024, max / 1024
          growth = (b[2] - a[2]) / 1024; printf "   growth after warm-up: %+.1f MB\n", growth
          if (growth > 8) exit 1 }' "$work/rss.txt" || { echo "!! resident memory grew"; status=1; }
awk '{ n = $1 - $1 % 20000; if (!(n in seen)) { seen[n] = 1; order[++k] = n; mb[n] = $2 / 1024 } }
     END { printf "   RSS by 20 000 frames:"; for (i = 1; i <= k; i++) printf " %d:%.1fMB", order[i], mb[order[i]]; print "" }' "$work/rss.txt"

# Live effects: the whole run and each tenth of it.
grep -o '"effects":[0-9]*' "$work/trace.jsonl" | cut -d: -f2 | awk -v n="$frames" '
    { f++; if ($1 > max) max = $1; sum += $1; b = int((f - 1) * 10 / n); if ($1 > bmax[b]) bmax[b] = $1 }
    END { printf "   live effects: max %d, mean %.0f over %d frames; max per tenth:", max, sum / f, f
          for (i = 0; i < 10; i++) printf " %d", bmax[i]; print ""
          if (bmax[9] > 2 * bmax[2] + 50) exit 1 }' || { echo "!! the live-effect count keeps growing"; status=1; }
finished=$(tail -n 1 "$work/trace.jsonl" | grep -o '"finished":true' | wc -l)
echo "   racers finished by the last frame: $finished of 5; stderr lines: $(wc -l < "$work/stderr.txt")"
exit $status
