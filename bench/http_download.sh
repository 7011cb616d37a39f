#!/usr/bin/env bash
# Downloads a 256 MB file from a local nginx through the HTTP agent, natively and under
# Wine, and with curl: the three take turns, round after round (QEL_BENCH_ROUNDS rounds, 11
# by default, at least 9, after one warm-up round), so that a change in the machine's load
# hits them alike. Each is reported by its median and interquartile range. The ratio is
# agent throughput / curl throughput (curl's median time / the agent's); the goal is at
# least 0.5. The last line gives the lower of the native and Wine ratios.
set -uo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
cd "$top"
export QEL_WINEPREFIX=${QEL_WINEPREFIX:-$top/build/wineprefix}
"$top/scripts/setup" "$QEL_WINEPREFIX" >/dev/null || exit 1
native_dir=${QEL_BENCH_NATIVE_DIR:-build/bench}
windows_dir=${QEL_BENCH_WINDOWS_DIR:-build/windows}
target=http_download_bench
rounds=${QEL_BENCH_ROUNDS:-11}
((rounds >= 9)) || rounds=9

build() {
  local preset=$1 dir=$2
  shift 2
  echo "== http_download: building for $preset in $dir"
  if ! cmake --preset "$preset" -B "$dir" >/dev/null ||
     ! cmake --build "$dir" -j 2 --target "$@" >"$dir.bench-build.log" 2>&1; then
    tail -n 30 "$dir.bench-build.log"
    exit 1
  fi
}
build bench "$native_dir" "$target" bench_stats
build windows "$windows_dir" "$target"
stats=$native_dir/bench/bench_stats

servers=$(mktemp -d)
work=$(mktemp -d)
source "$top/scripts/wine-env"
cleanup() {
  python3 "$top/net/testdata/servers.py" stop "$servers"
  wine_env_stop
  rm -rf "$servers" "$work"
}
trap cleanup EXIT
python3 "$top/net/testdata/servers.py" start "$servers" --big-mb 256 || exit 1
port=$(awk '/nginx/ {print $2}' "$servers/ports")
url=http://127.0.0.1:$port/big.bin
echo "file: 256 MB from nginx on 127.0.0.1:$port"
wine_env_start

# Appends one download's seconds to FILE; fails showing what the downloader said.
keep_seconds() {
  local file=$1 out=$2 s
  s=$(awk '/^agent_seconds/ {print $2}' <<<"$out")
  if [ -z "$s" ]; then
    echo "http_download: no time for $(basename "$file"): $out" >&2
    exit 1
  fi
  echo "$s" >>"$file"
}

round() {
  local dir=$1
  keep_seconds "$dir/curl" "agent_seconds $(curl -s -o /dev/null -w '%{time_total}' "$url")"
  keep_seconds "$dir/native" "$("$native_dir/bench/$target" "$port" /big.bin)"
  keep_seconds "$dir/wine" \
    "$("$top/scripts/wine-run" "$windows_dir/bench/$target.exe" "$port" /big.bin | tr -d '\r')"
}

mkdir -p "$work/warmup"
round "$work/warmup"
for _ in $(seq "$rounds"); do
  round "$work"
done

ratio() {
  awk -v c="$("$stats" median "$work/curl")" -v a="$("$stats" median "$1")" \
    'BEGIN { if (a > 0) printf "%.3f", c / a; else print 0 }'
}
for who in curl native wine; do
  echo "  $who, in round order: $(paste -sd' ' "$work/$who") s"
done
"$stats" case "curl" s "$work/curl" || exit 1
"$stats" case "agent native" s "$work/native" || exit 1
"$stats" case "agent under Wine" s "$work/wine" || exit 1
native_ratio=$(ratio "$work/native")
wine_ratio=$(ratio "$work/wine")
echo "ratio native: $native_ratio, under Wine: $wine_ratio"
echo "goal: ratio >= 0.5 (agent throughput / curl throughput)"
echo "http_download ratio=$(awk -v a="$native_ratio" -v b="$wine_ratio" 'BEGIN { print (a < b ? a : b) }')"
