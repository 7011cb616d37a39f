#!/usr/bin/env bash
# Timer and paint messages that the real program's windows receive while it idles for
# QEL_BENCH_IDLE_SECONDS (30 by default) under Wine: no call, window closed to the tray.
# Counted from Wine's message trace between two marker messages the probe sends. The ratio
# is wake-ups per minute; the goal is 0.
set -uo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
cd "$top"
seconds=${QEL_BENCH_IDLE_SECONDS:-30}
source "$top/bench/main_wnd_env.bash"
empty_library

trace=$(mktemp)
WINEDEBUG=-all,+msg timeout 300 wine "$probe" idle "$exe" "$seconds" 2>"$trace" |
  tr -d '\r' | grep -v '^$'
# The program's UI thread is the one that got the markers; count what it got in between.
# Timer messages without a window are thread timers: the only one is the hook stand-in's
# poll for simulated messengers (tools/hook), which the real hook component does not have.
awk '
  /got type .* msg 0 \(WM_NULL\) .* wp 51e1 / { split($1, id, ":"); ui = id[1]; marks++; next }
  marks == 1 && /got type/ && /\((WM_TIMER|WM_PAINT|WM_SYSTIMER|WM_NCPAINT)\)/ {
    split($1, id, ":"); if (id[1] != ui) next
    match($0, /\(WM_[A-Z]+\) hwnd [^ ]+/); what = substr($0, RSTART, RLENGTH)
    if (what ~ /hwnd \(nil\)/) { thread++; next }
    n[what]++; total++
  }
  END {
    for (w in n) printf "  %s: %d\n", w, n[w]
    printf "thread timers (hook stand-in poll) %d\n", thread
    printf "wakeups %d\n", total
  }' "$trace" | tee "$trace.count"
rm -f "$trace"
wakeups=$(awk '/^wakeups/ {print $2}' "$trace.count")
rm -f "$trace.count"
echo "timer and paint messages to the program's windows in ${seconds} s of idling: $wakeups (goal: 0)"
awk -v n="${wakeups:-0}" -v s="$seconds" 'BEGIN { printf "idle_wakeups ratio=%.2f\n", n * 60 / s }'
