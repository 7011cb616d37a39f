#!/usr/bin/env bash
# Time from starting the real program under Wine until its main window is shown and its
# list holds every row: with 10,000 recordings in the folder and in the registry cache, and
# with none. The ratio is 10,000 / none (median of QEL_BENCH_ROUNDS runs each, 5 by default);
# the goal is at most 1.5.
set -uo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
cd "$top"
rounds=${QEL_BENCH_ROUNDS:-5}
source "$top/bench/main_wnd_env.bash"

# Prints the median start-up time in ms for a library of that many rows.
measure() {
  local rows=$1 times=()
  # The first start fills the registry cache and warms the file cache; it is not counted.
  timeout 300 "$top/scripts/wine-run" "$probe" startup "$exe" "$rows" >/dev/null
  for _ in $(seq "$rounds"); do
    times+=("$(timeout 300 "$top/scripts/wine-run" "$probe" startup "$exe" "$rows" |
      tr -d '\r' | awk '/^startup_ms/ {print $2}')")
  done
  echo "  $rows rows: ${times[*]} ms" >&2
  printf '%s\n' "${times[@]}" | median
}

empty_library
empty_ms=$(measure 0)

# 10,000 small recordings made by ffmpeg, named by their start times a minute apart.
sample=$(mktemp --suffix .avi)
ffmpeg -nostdin -v error -y -f lavfi -i color=c=gray:size=16x16:rate=1:duration=1 \
  -c:v rawvideo -pix_fmt bgr24 "$sample"
python3 - "$sample" "$records" <<'PY'
import shutil, sys, time
sample, folder = sys.argv[1], sys.argv[2]
start = int(time.time()) - 10000 * 60
for i in range(10000):
    name = time.strftime("%Y-%m-%d %H-%M-%S", time.localtime(start + i * 60))
    shutil.copyfile(sample, f"{folder}/{name}.avi")
PY
rm -f "$sample"
full_ms=$(measure 10000)
empty_library

echo "startup with an empty library: $empty_ms ms; with 10,000 recordings: $full_ms ms (goal: ratio <= 1.5)"
awk -v f="$full_ms" -v e="$empty_ms" 'BEGIN { printf "startup_10k ratio=%.2f\n", (e > 0 ? f / e : 0) }'
