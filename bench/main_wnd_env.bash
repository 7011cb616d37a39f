# Sourced by the main-window benchmarks: builds the program and the probe, and gives them a
# Wine prefix of their own (with its own Documents folder, the default recording folder), so
# that neither the tests' recordings nor these reach each other.
top=${top:?}
windows_dir=${QEL_BENCH_WINDOWS_DIR:-$top/build/windows}
export QEL_WINEPREFIX=${QEL_BENCH_WINEPREFIX:-$top/build/bench-prefix}
"$top/scripts/setup" "$QEL_WINEPREFIX" >/dev/null || exit 1
records="$QEL_WINEPREFIX/drive_c/users/$(id -un)/Documents/Quorvantine Records for Msn"
mkdir -p "$records"

cmake --preset windows -B "$windows_dir" >/dev/null || exit 1
cmake --build "$windows_dir" -j 2 --target quorvantine_msn qel_msn_hook main_wnd_probe \
  >"$windows_dir.bench-build.log" 2>&1 || { tail -n 30 "$windows_dir.bench-build.log"; exit 1; }

source "$top/scripts/wine-env"
# The Wine session lasts until the benchmark ends.
trap wine_env_stop EXIT
wine_env_start
exe=$(winepath -w "$windows_dir/app/quorvantine_msn.exe" 2>/dev/null)
probe="$windows_dir/bench/main_wnd_probe.exe"
settings='HKCU\Software\Corvelle Software\Quorvantine for Msn'

# A library with no recordings: no files, no cache entries.
empty_library() {
  rm -rf "$records"
  mkdir -p "$records"
  timeout 60 wine reg delete "$settings\\avi_file_info_cache" /f >/dev/null 2>&1 || true
}

median() { sort -g | awk '{a[NR]=$1} END {if (NR) print a[int((NR+1)/2)]; else print 0}'; }
