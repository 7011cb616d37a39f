#!/usr/bin/env bash
# Downloads a 64 MB file from a local openssl s_server through the secure layer and with
# openssl s_client, in turn round after round (QEL_BENCH_ROUNDS rounds, 11 by default, at
# least 9, after one warm-up round); each is reported by its median and interquartile
# range. The ratio is layer throughput / s_client throughput (s_client's median time / the
# layer's). Native only: the Windows build finds no TLS libraries under Wine.
set -uo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
cd "$top"
"$top/scripts/setup" "${QEL_WINEPREFIX:-$top/build/wineprefix}" >/dev/null || exit 1
native_dir=${QEL_BENCH_NATIVE_DIR:-build/bench}
target=ssl_transfer_bench
rounds=${QEL_BENCH_ROUNDS:-11}
((rounds >= 9)) || rounds=9
megabytes=${QEL_BENCH_MB:-64}

echo "== ssl_transfer: building in $native_dir"
if ! cmake --preset bench -B "$native_dir" >/dev/null ||
   ! cmake --build "$native_dir" -j 2 --target "$target" bench_stats >"$native_dir.bench-build.log" 2>&1; then
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

stats=$native_dir/bench/bench_stats
round() {
  local dir=$1 layer
  client_seconds >>"$dir/client"
  layer=$("$native_dir/bench/$target" "$port" /big.bin 1 | awk '/^layer_seconds/ {print $2}')
  if [ -z "$layer" ]; then
    echo "ssl_transfer: the layer's download failed" >&2
    exit 1
  fi
  echo "$layer" >>"$dir/layer"
}
mkdir -p "$work/warmup"
round "$work/warmup"
for _ in $(seq "$rounds"); do
  round "$work"
done
echo "  s_client, in round order: $(paste -sd' ' "$work/client") s"
echo "  layer, in round order: $(paste -sd' ' "$work/layer") s"
"$stats" case "s_client ($(cat "$work/client_bytes") bytes with the reply head)" s "$work/client" ||
  exit 1
"$stats" case "layer" s "$work/layer" || exit 1
echo "goal: ratio near 1 or above (layer throughput / s_client throughput)"
"$stats" ratio ssl_transfer "$work/client" "$work/layer"
