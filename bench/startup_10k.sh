#!/usr/bin/env bash
# Time from starting the real program under Wine until its main window is shown and its
# list holds every row: with 10,000 recordings in the folder and in the registry cache, and
# with none. The two run in turn, QEL_BENCH_ROUNDS rounds each (15 by default, at least 9),
# each start once the previous start's program has ended. The ratio is the median with
# 10,000 / the median with none; the goal is at most 1.5.
#
# Every call the program makes into Wine is answered by the wineserver, another process: a
# start is thousands of wake-ups from one process to another. On this virtual machine a
# wake-up across CPUs costs more than the call and depends on what the other CPU is doing:
# it added 100 to 200 ms to both cases, a different amount in each run. So the Wine session
# runs on one CPU, the last one unless QEL_BENCH_CPU names another ("all": any CPU).
set -uo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
cd "$top"
rounds=${QEL_BENCH_ROUNDS:-15}
((rounds >= 9)) || rounds=9
main_wnd_cpu=${QEL_BENCH_CPU:-$(($(nproc) - 1))}
[ "$main_wnd_cpu" != all ] || main_wnd_cpu=
native_dir=${QEL_BENCH_NATIVE_DIR:-build/bench}
cmake --preset bench -B "$native_dir" >/dev/null &&
  cmake --build "$native_dir" --target bench_stats >"$native_dir.bench-build.log" 2>&1 ||
  { tail -n 30 "$native_dir.bench-build.log"; exit 1; }
stats=$native_dir/bench/bench_stats
source "$top/bench/main_wnd_env.bash"

# Each library has a prefix and a persistent wineserver of its own, so that the rounds can
# alternate without moving 10,000 files and cache entries between them. Both prefixes are
# made alike; the empty one is the benchmark's own.
empty_prefix=$QEL_WINEPREFIX
full_prefix=$QEL_WINEPREFIX-10k
"$top/scripts/setup" "$full_prefix" >/dev/null || exit 1
# Ends a prefix's wineserver, which writes its registry to disk.
stop_server() {
  WINEPREFIX=$1 wineserver -k >/dev/null 2>&1 || true
  WINEPREFIX=$1 timeout 30 wineserver -w >/dev/null 2>&1 || true
}
start_server() { (WINEPREFIX=$1 && wine_env_start); }
work=$(mktemp -d)
trap 'empty_library "$full_prefix"; stop_server "$full_prefix"; wine_env_stop; rm -rf "$work"' EXIT
start_server "$full_prefix"

empty_library "$empty_prefix"
empty_library "$full_prefix"
# 10,000 small recordings made by ffmpeg, named by their start times a minute apart.
sample=$work/sample.avi
ffmpeg -nostdin -v error -y -f lavfi -i color=c=gray:size=16x16:rate=1:duration=1 \
  -c:v rawvideo -pix_fmt bgr24 "$sample"
python3 - "$sample" "$(records_in "$full_prefix")" <<'PY'
import shutil, sys, time
sample, folder = sys.argv[1], sys.argv[2]
start = int(time.time()) - 10000 * 60
for i in range(10000):
    name = time.strftime("%Y-%m-%d %H-%M-%S", time.localtime(start + i * 60))
    shutil.copyfile(sample, f"{folder}/{name}.avi")
PY

# One start by a probe of its own; prints its milliseconds.
start_once() {
  local prefix=$1 rows=$2 out
  out=$(WINEPREFIX=$prefix timeout 300 "$top/scripts/wine-run" "$probe" startup "$exe" "$rows" |
    tr -d '\r')
  awk '/^startup_ms/ {print $2; ok = 1} END {exit !ok}' <<<"$out" ||
    { echo "startup_10k: no start-up time with $rows rows: $out" >&2; exit 1; }
}

# The first start fills the cache (50,000 registry values) and meets a fresh prefix. The
# wineservers are then restarted, which writes the grown registry to disk now rather than
# during a measured start (a persistent server saves a changed registry every 30 s), and
# the files written so far are put on disk.
first_empty=$(start_once "$empty_prefix" 0) || exit 1
first_full=$(start_once "$full_prefix" 10000) || exit 1
echo "first starts (not counted): empty $first_empty ms, 10,000 rows $first_full ms"
stop_server "$full_prefix"
stop_server "$empty_prefix"
start_server "$full_prefix"
start_server "$empty_prefix"
sync

# A probe per prefix stays up and starts the program for each line it reads, so that no
# probe's own start-up runs beside a measured start. Fds 3 and 4 talk to the empty
# prefix's probe, 5 and 6 to the full one's.
mkfifo "$work/empty.in" "$work/empty.out" "$work/full.in" "$work/full.out"
WINEPREFIX=$empty_prefix QEL_WINE_TIMEOUT=3600 "$top/scripts/wine-run" "$probe" starts "$exe" 0 \
  <"$work/empty.in" >"$work/empty.out" &
probes=($!)
exec 3>"$work/empty.in" 4<"$work/empty.out"
WINEPREFIX=$full_prefix QEL_WINE_TIMEOUT=3600 "$top/scripts/wine-run" "$probe" starts "$exe" \
  10000 <"$work/full.in" >"$work/full.out" &
probes+=($!)
exec 5>"$work/full.in" 6<"$work/full.out"

# Asks the probe on fds IN and OUT for one start; appends its milliseconds to FILE.
start_by() {
  local in=$1 out=$2 file=$3 line
  echo go >&"$in"
  if ! IFS= read -r -t 300 line <&"$out" || [[ $line != startup_ms* ]]; then
    echo "startup_10k: no start-up time: ${line:-no answer}" >&2
    exit 1
  fi
  line=${line%$'\r'}
  echo "${line#startup_ms }" >>"$file"
}

round() {
  start_by 3 4 "$1/empty"
  start_by 5 6 "$1/full"
}

# The probes' first starts meet the restarted servers: not counted either.
mkdir -p "$work/warmup"
round "$work/warmup"
echo "warm-up round (not counted): empty $(cat "$work/warmup/empty") ms," \
  "10,000 rows $(cat "$work/warmup/full") ms"
for _ in $(seq "$rounds"); do
  round "$work"
done
exec 3>&- 5>&-
wait "${probes[@]}"
exec 4<&- 6<&-

echo "Wine session on CPU ${main_wnd_cpu:-any}"
echo "  empty library, in round order: $(paste -sd' ' "$work/empty") ms"
echo "  10,000 recordings, in round order: $(paste -sd' ' "$work/full") ms"
"$stats" case "startup with an empty library" ms "$work/empty" || exit 1
"$stats" case "startup with 10,000 recordings" ms "$work/full" || exit 1
echo "goal: ratio <= 1.5 (median with 10,000 recordings / median with none)"
"$stats" ratio startup_10k "$work/full" "$work/empty"
