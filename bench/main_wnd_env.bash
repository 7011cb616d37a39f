# Sourced by the main-window benchmarks: builds the program and the probe, and gives them a
# Wine prefix of their own (with its own Documents folder, the default recording folder), so
# that neither the tests' recordings nor these reach each other.
top=${top:?}
windows_dir=${QEL_BENCH_WINDOWS_DIR:-$top/build/windows}
export QEL_WINEPREFIX=${QEL_BENCH_WINEPREFIX:-$top/build/bench-prefix}
"$top/scripts/setup" "$QEL_WINEPREFIX" >/dev/null || exit 1

# The default recording folder of a prefix.
records_in() { echo "$1/drive_c/users/$(id -un)/Documents/Quorvantine Records for Msn"; }
records=$(records_in "$QEL_WINEPREFIX")
mkdir -p "$records"

cmake --preset windows -B "$windows_dir" >/dev/null || exit 1
cmake --build "$windows_dir" -j 2 --target quorvantine_msn qel_msn_hook main_wnd_probe \
  >"$windows_dir.bench-build.log" 2>&1 || { tail -n 30 "$windows_dir.bench-build.log"; exit 1; }

# A benchmark that sets main_wnd_cpu runs its Wine session (Xvfb, wineservers and every
# Wine process, which inherit it) on that CPU alone.
if [ -n "${main_wnd_cpu:-}" ]; then
  taskset -pc "$main_wnd_cpu" $$ >/dev/null || exit 1
fi

source "$top/scripts/wine-env"
# The Wine session lasts until the benchmark ends.
trap wine_env_stop EXIT
wine_env_start
exe=$(winepath -w "$windows_dir/app/quorvantine_msn.exe" 2>/dev/null)
probe="$windows_dir/bench/main_wnd_probe.exe"
settings='HKCU\Software\Corvelle Software\Quorvantine for Msn'

# A library with no recordings: no files, no cache entries; in the given prefix, by default
# the benchmark's own.
empty_library() {
  local prefix=${1:-$WINEPREFIX}
  rm -rf "$(records_in "$prefix")"
  mkdir -p "$(records_in "$prefix")"
  WINEPREFIX=$prefix timeout 60 wine reg delete "$settings\\avi_file_info_cache" /f \
    >/dev/null 2>&1 || true
}
