#!/usr/bin/env bash
# Joins about 1.6 GiB of recordings with `tvr join` and concatenates the same recordings
# with `cat`, in one run, and prints both throughputs, their ratio and the tool's peak memory.
#   bash bench/tvr_join_bench.sh [FILES [FRAMES_PER_FILE]]
# Five rounds, alternating which command goes first; the medians are compared.
# Defaults: 4 recordings of 16 channels x 6553600 frames (400 MiB of data each).
# The data lives in build/bench-tvr (real bytes, not sparse files); both commands read it
# from the page cache after a warm-up and write a new file on the same file system.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."

files=${1:-4}
frames=${2:-6553600}
channels=16
rounds=5

bash scripts/setup.sh
command -v /usr/bin/time >/dev/null || { echo "bench: GNU time (/usr/bin/time) is needed" >&2; exit 1; }
cmake --preset native-release >/dev/null
cmake --build --preset native-release -j "$(nproc)" --target tvr tvrgen >/dev/null
tvr=$PWD/build/native-release/cli/tvr
tvrgen=$PWD/build/native-release/tests/tvrgen

work=$PWD/build/bench-tvr
mkdir -p "$work"
inputs=()
for i in $(seq 1 "$files"); do
  f=$work/part$i.tvr
  want=$((240 + 20 * channels + frames * channels * 4))
  if [ ! -f "$f" ] || [ "$(stat -c %s "$f")" -ne "$want" ]; then
    "$tvrgen" "$f" "$channels" 1000 "$frames" "$i" "2024-01-01T0$i:00:00"
  fi
  inputs+=("$f")
done
out=$work/Collected${files}_part1.tvr
catout=$work/cat.out

# Milliseconds of wall time and peak resident KiB of one command, as "ms kib".
measure() {
  local start end
  sync  # the previous run's writes reach the disk before this one starts
  sleep 1
  start=$(date +%s%N)
  /usr/bin/time -f '%M' -o "$work/rss" "$@"
  end=$(date +%s%N)
  echo "$(( (end - start) / 1000000 )) $(cat "$work/rss")"
}

cat "${inputs[@]}" > "$catout"  # warm-up: every input in the page cache
rm -f "$catout"

tvr_ms=() cat_ms=() tvr_rss=0
run_tvr() {
  rm -f "$out" "$catout"
  read -r ms kib < <(measure "$tvr" join -q "${inputs[@]}")
  tvr_ms+=("$ms"); [ "$kib" -gt "$tvr_rss" ] && tvr_rss=$kib
  joined=$(stat -c %s "$out")
}
run_cat() {
  rm -f "$out" "$catout"
  read -r ms _ < <(measure sh -c 'cat "$@" > "$0"' "$catout" "${inputs[@]}")
  cat_ms+=("$ms")
  bytes=$(stat -c %s "$catout")
}
# Alternating which goes first, so that neither always inherits the other's writeback.
for r in $(seq 1 "$rounds"); do
  if [ $((r % 2)) -eq 1 ]; then run_tvr; run_cat; else run_cat; run_tvr; fi
done
rm -f "$out" "$catout"

median() { printf '%s\n' "$@" | sort -n | sed -n "$(( ($# + 1) / 2 ))p"; }
tm=$(median "${tvr_ms[@]}")
cm=$(median "${cat_ms[@]}")
awk -v tb="$joined" -v cb="$bytes" -v tm="$tm" -v cm="$cm" -v rss="$tvr_rss" \
    -v tall="${tvr_ms[*]}" -v call="${cat_ms[*]}" -v n="$files" 'BEGIN {
  mib = 1024 * 1024
  printf "inputs: %d recordings, %.1f MiB written by each command\n", n, tb / mib
  printf "tvr join: %8.1f MiB/s  (median of %s ms)\n", tb / mib / (tm / 1000), tall
  printf "cat     : %8.1f MiB/s  (median of %s ms)\n", cb / mib / (cm / 1000), call
  printf "ratio tvr/cat: %.2fx\n", (tb / tm) / (cb / cm)
  printf "tvr peak memory: %.1f MiB (max RSS)\n", rss / 1024
}'
