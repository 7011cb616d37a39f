#!/usr/bin/env bash
# scripts/bench soak [CYCLES] [--keep]: the real program under Wine with simulated messengers
# for CYCLES recordings (default 1000), with engine kills, messenger restarts, folder changes
# and deletions on the way. Prints the figures sampled after the warm-up and at the end and,
# last, "soak ratio=X" (private bytes at the end / after the warm-up; goal: at most 1.05).
# It runs niced; it fails on any lost recording or growth of handles, wrappers or sinks, and
# when another run's program or messengers share its Wine session.
set -uo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
cd "$top"
# A build tree and Wine prefix of its own: in the tests' prefix their programs and the soak's
# would take each other's messengers, and their builds would relink the stand-ins under it.
export QEL_WINEPREFIX=${QEL_WINEPREFIX:-$top/build/soak-wineprefix}
"$top/scripts/setup" "$QEL_WINEPREFIX" >/dev/null || exit 1
dir=${QEL_BENCH_WINDOWS_DIR:-build/soak-windows}

echo "== soak: building the program, the stand-ins and the driver in $dir"
if ! cmake --preset windows -B "$dir" >/dev/null ||
   ! nice cmake --build "$dir" -j 2 --target soak_driver >"$dir.bench-build.log" 2>&1; then
  tail -n 30 "$dir.bench-build.log"
  exit 1
fi

source "$top/scripts/wine-env"
trap wine_env_stop EXIT
wine_env_start
# A thousand cycles take a while; the run's own timeout is generous.
QEL_WINE_TIMEOUT=${QEL_WINE_TIMEOUT:-14400} nice -n 10 \
  "$top/scripts/wine-run" "$dir/app/soak_driver.exe" "${@:-1000}" | tr -d '\r'
exit "${PIPESTATUS[0]}"
