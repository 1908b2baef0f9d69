#!/usr/bin/env bash
# Joining speed of tvrjoin.exe under Wine against cat on the same bytes, in one run.
# Writes GIB GiB (default 1.5) of real sample data in six recordings, then, ROUNDS times
# (default 2): cat joins them into one file; tvrjoin.exe joins them, timed by the driver
# from the progress window's appearance to the "Выполнено" button's. Prints the
# throughputs (MiB/s of output written) and the ratios, best round of each. cat is timed
# two ways: straight into a file (coreutils 9 then copies inside the kernel with
# copy_file_range, which no Win32 program can ask for) and through a pipe (the
# user-space copy a program under Wine makes). The same join by tvr.exe, the console build
# of the same engine on the same Win32 calls, shows what the copy itself costs under Wine
# without the window (whose bar repaints once per percent while the copy waits).
#   bash bench/wine_join_bench.sh [GIB] [ROUNDS]
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
root=$(pwd)
gib=${1:-1.5}
rounds=${2:-2}

bash scripts/setup.sh
cmake --preset windows >/dev/null
cmake --build --preset windows -j "$(nproc)" --target tvrjoin tvrdrive tvr >/dev/null
cmake --preset native-release >/dev/null
cmake --build --preset native-release -j "$(nproc)" --target tvrgen >/dev/null

data=${TVR_BENCH_DIR:-$root/build/bench-join}
rm -rf "$data"
mkdir -p "$data"
files=6
channels=16
width=$((channels * 4))
frames=$(awk -v g="$gib" -v f="$files" -v w="$width" 'BEGIN { printf "%d", g * 1073741824 / f / w }')
echo "writing $files recordings of $frames frames x $channels channels to $data"
for i in $(seq 1 $files); do
  "$root/build/native-release/tests/tvrgen" "$data/rec$i.tvr" "$channels" 1000 "$frames" "$i" \
    "2024-01-0${i}T08:00:00"
done
input_bytes=$(stat -c %s "$data"/rec*.tvr | awk "{ s += \$1 } END { print s }")
echo "input: $input_bytes bytes"

mibps() { awk -v b="$1" -v s="$2" 'BEGIN { printf "%.1f", b / 1048576 / s }'; }
best_cat=0 best_pipe=0 best_console=0 best_join=0
for round in $(seq 1 "$rounds"); do
  rm -f "$data/cat.out"
  start=$(date +%s.%N)
  cat "$data"/rec*.tvr > "$data/cat.out"
  end=$(date +%s.%N)
  cat_s=$(awk -v a="$start" -v b="$end" 'BEGIN { printf "%.3f", b - a }')
  cat_bytes=$(stat -c %s "$data/cat.out")
  rm -f "$data/cat.out"

  # The console join, with Wine's server already up so that only the join is timed.
  WINEPREFIX="$root/build/wineprefix" wineserver -p 60 || true  # 2: already up
  bash "$root/scripts/wine-run.sh" "$root/build/windows/cli/tvr.exe" --version >/dev/null
  rm -f "$data"/Collected*
  start=$(date +%s.%N)
  (cd "$data" && bash "$root/scripts/wine-run.sh" "$root/build/windows/cli/tvr.exe" join -q rec*.tvr 2>/dev/null)
  end=$(date +%s.%N)
  console_s=$(awk -v a="$start" -v b="$end" 'BEGIN { printf "%.3f", b - a }')
  console_bytes=$(stat -c %s "$data"/Collected*)
  rm -f "$data"/Collected*
  WINEPREFIX="$root/build/wineprefix" wineserver -k || true

  out=$(cd "$data" && bash "$root/scripts/wine-gui.sh" \
    "$root/build/windows/tests/e2e/tvrdrive.exe" "$root/build/windows/app/tvrjoin.exe" "$data")
  join_s=$(sed -n 's/^join_seconds=//p' <<<"$out" | tr -d '\r')
  joined=$(ls "$data"/Collected*)
  join_bytes=$(stat -c %s "$joined")
  rm -f "$joined"

  start=$(date +%s.%N)
  cat "$data"/rec*.tvr | cat > "$data/cat.out"
  end=$(date +%s.%N)
  pipe_s=$(awk -v a="$start" -v b="$end" 'BEGIN { printf "%.3f", b - a }')
  rm -f "$data/cat.out"

  cat_rate=$(mibps "$cat_bytes" "$cat_s")
  pipe_rate=$(mibps "$cat_bytes" "$pipe_s")
  console_rate=$(mibps "$console_bytes" "$console_s")
  join_rate=$(mibps "$join_bytes" "$join_s")
  echo "round $round: cat $cat_bytes bytes in $cat_s s = $cat_rate MiB/s;" \
    "cat | cat in $pipe_s s = $pipe_rate MiB/s;" \
    "tvr.exe join in $console_s s = $console_rate MiB/s;" \
    "tvrjoin.exe $join_bytes bytes in $join_s s = $join_rate MiB/s"
  best_cat=$(awk -v a="$best_cat" -v b="$cat_rate" 'BEGIN { print (b > a ? b : a) }')
  best_pipe=$(awk -v a="$best_pipe" -v b="$pipe_rate" 'BEGIN { print (b > a ? b : a) }')
  best_console=$(awk -v a="$best_console" -v b="$console_rate" 'BEGIN { print (b > a ? b : a) }')
  best_join=$(awk -v a="$best_join" -v b="$join_rate" 'BEGIN { print (b > a ? b : a) }')
done

echo "cat > file:  $best_cat MiB/s (in-kernel copy_file_range)"
echo "cat | cat:   $best_pipe MiB/s (user-space copy through a pipe)"
echo "tvr.exe:     $best_console MiB/s (console join under Wine, no window)"
echo "tvrjoin.exe: $best_join MiB/s (join stage under Wine)"
echo "ratio tvr.exe:     $(awk -v j="$best_console" -v c="$best_cat" 'BEGIN { printf "%.2fx", j / c }') of cat > file"
echo "ratio tvrjoin.exe: $(awk -v j="$best_join" -v c="$best_cat" 'BEGIN { printf "%.2fx", j / c }') of cat > file," \
  "$(awk -v j="$best_join" -v c="$best_pipe" 'BEGIN { printf "%.2fx", j / c }') of cat | cat"
rm -rf "$data"
