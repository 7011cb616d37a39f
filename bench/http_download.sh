#!/usr/bin/env bash
# Downloads a 256 MB file from a local nginx through the HTTP agent, natively and under
# Wine, and with curl in the same run. The ratio is agent throughput / curl throughput
# (curl's time / the agent's time); the goal is at least 0.5. The last line gives the lower
# of the native and Wine ratios.
set -uo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
cd "$top"
export QEL_WINEPREFIX=${QEL_WINEPREFIX:-$top/build/wineprefix}
"$top/scripts/setup" "$QEL_WINEPREFIX" >/dev/null || exit 1
native_dir=${QEL_BENCH_NATIVE_DIR:-build/bench}
windows_dir=${QEL_BENCH_WINDOWS_DIR:-build/windows}
target=http_download_bench
rounds=${QEL_BENCH_ROUNDS:-5}

build() {
  local preset=$1 dir=$2
  echo "== http_download: building for $preset in $dir"
  if ! cmake --preset "$preset" -B "$dir" >/dev/null ||
     ! cmake --build "$dir" -j 2 --target "$target" >"$dir.bench-build.log" 2>&1; then
    tail -n 30 "$dir.bench-build.log"
    exit 1
  fi
}
build bench "$native_dir"
build windows "$windows_dir"

servers=$(mktemp -d)
source "$top/scripts/wine-env"
cleanup() {
  python3 "$top/net/testdata/servers.py" stop "$servers"
  wine_env_stop
  rm -rf "$servers"
}
trap cleanup EXIT
python3 "$top/net/testdata/servers.py" start "$servers" --big-mb 256 || exit 1
port=$(awk '/nginx/ {print $2}' "$servers/ports")
url=http://127.0.0.1:$port/big.bin
echo "file: 256 MB from nginx on 127.0.0.1:$port"

curl_seconds() {
  local times=()
  for _ in $(seq "$rounds"); do
    times+=("$(curl -s -o /dev/null -w '%{time_total}' "$url")")
  done
  printf '%s\n' "${times[@]}" | sort -g | awk '{a[NR]=$1} END {print a[int((NR+1)/2)]}'
}

agent_seconds() {
  awk '/^agent_seconds/ {print $2}'
}

ratio() {
  awk -v c="$1" -v a="$2" 'BEGIN { if (a > 0) printf "%.2f", c / a; else print 0 }'
}

curl_s=$(curl_seconds)
native_s=$("$native_dir/bench/$target" "$port" /big.bin "$rounds" | agent_seconds)
wine_env_start
wine_s=$("$top/scripts/wine-run" "$windows_dir/bench/$target.exe" "$port" /big.bin "$rounds" |
         tr -d '\r' | agent_seconds)
curl_s2=$(curl_seconds)
curl_best=$(awk -v a="$curl_s" -v b="$curl_s2" 'BEGIN { print (a < b ? a : b) }')

native_ratio=$(ratio "$curl_best" "${native_s:-0}")
wine_ratio=$(ratio "$curl_best" "${wine_s:-0}")
echo "curl: ${curl_best} s (median of $rounds, best of two series)"
echo "agent native: ${native_s:-failed} s  ratio $native_ratio"
echo "agent under Wine: ${wine_s:-failed} s  ratio $wine_ratio"
echo "goal: ratio >= 0.5 (agent throughput / curl throughput)"
echo "http_download ratio=$(awk -v a="$native_ratio" -v b="$wine_ratio" 'BEGIN { print (a < b ? a : b) }')"
