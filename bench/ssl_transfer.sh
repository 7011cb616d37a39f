#!/usr/bin/env bash
# Downloads a 64 MB file from a local openssl s_server through the secure layer and with
# openssl s_client, alternately, in the same run. The ratio is layer throughput / s_client
# throughput (s_client's time / the layer's time). Native only: the Windows build finds no
# TLS libraries under Wine.
set -uo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
cd "$top"
"$top/scripts/setup" "${QEL_WINEPREFIX:-$top/build/wineprefix}" >/dev/null || exit 1
native_dir=${QEL_BENCH_NATIVE_DIR:-build/bench}
target=ssl_transfer_bench
rounds=${QEL_BENCH_ROUNDS:-5}
megabytes=${QEL_BENCH_MB:-64}

echo "== ssl_transfer: building in $native_dir"
if ! cmake --preset bench -B "$native_dir" >/dev/null ||
   ! cmake --build "$native_dir" -j 2 --target "$target" >"$native_dir.bench-build.log" 2>&1; then
  tail -n 30 "$native_dir.bench-build.log"
  exit 1
fi

work=$(mktemp -d)
server_pid=
cleanup() {
  [ -n "$server_pid" ] && kill "$server_pid" 2>/dev/null && wait "$server_pid" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT
"$top/net/testdata/make_certs.sh" "$work/certs" || exit 1
mkdir -p "$work/www"
head -c $((megabytes * 1024 * 1024)) /dev/urandom > "$work/www/big.bin"
port=$(python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
(cd "$work/www" && exec openssl s_server -quiet -WWW -accept "127.0.0.1:$port" \
   -cert "$work/certs/server.pem" -key "$work/certs/key.pem") >"$work/s_server.log" 2>&1 &
server_pid=$!
for _ in $(seq 100); do
  (exec 3<>"/dev/tcp/127.0.0.1/$port") 2>/dev/null && break
  sleep 0.05
done
echo "file: $megabytes MB from openssl s_server -WWW on 127.0.0.1:$port"

client_seconds() {
  local start end
  start=$(date +%s.%N)
  printf 'GET /big.bin HTTP/1.0\r\n\r\n' |
    openssl s_client -quiet -connect "127.0.0.1:$port" 2>/dev/null | wc -c >"$work/client_bytes"
  end=$(date +%s.%N)
  awk -v a="$start" -v b="$end" 'BEGIN { printf "%.4f\n", b - a }'
}

median() { sort -g | awk '{a[NR]=$1} END {print a[int((NR+1)/2)]}'; }

layer_times=() client_times=()
for _ in $(seq "$rounds"); do
  client_times+=("$(client_seconds)")
  layer_times+=("$("$native_dir/bench/$target" "$port" /big.bin 1 | awk '/^layer_seconds/ {print $2}')")
done
client_s=$(printf '%s\n' "${client_times[@]}" | median)
layer_s=$(printf '%s\n' "${layer_times[@]}" | median)
echo "s_client: $client_s s ($(cat "$work/client_bytes") bytes with the reply head; median of $rounds)"
echo "layer: ${layer_s:-failed} s (median of $rounds)"
echo "goal: ratio near 1 or above (layer throughput / s_client throughput)"
echo "ssl_transfer ratio=$(awk -v c="$client_s" -v l="${layer_s:-0}" 'BEGIN { if (l > 0) printf "%.2f", c / l; else print 0 }')"
