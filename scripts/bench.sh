#!/usr/bin/env bash
# Builds Release and measures: the micro-benchmarks, then whole-process
# figures under Xvfb in interleaved rounds (VUserAlert and the bare Qt
# reference in turn): peak RSS, CPU time and wake-ups (context switches)
# of an open dialog over 10 s idle; marker command latency (SHOWOK written
# until consumed, 200 commands); VORAMenuBar idle CPU over 60 s.
# Prints a table of medians and ratios.
set -euo pipefail
cd "$(dirname "$0")/.."
source tests/support/private-system-bus.sh

bash scripts/install-deps.sh
build_dir=build-release
cmake -S . -B "$build_dir" -G Ninja -DCMAKE_BUILD_TYPE=Release -DVORA_BUILD_TESTS=OFF >/dev/null
cmake --build "$build_dir" --parallel "$(nproc 2>/dev/null || echo 2)" \
    --target vora_micro_bench vora_bare_qt_window VUserAlert VORAMenuBar vora-agent

if [ -z "${DISPLAY:-}" ] && [ -z "${VORA_BENCH_UNDER_XVFB:-}" ]; then
    export VORA_BENCH_UNDER_XVFB=1
    exec xvfb-run -a -s "-screen 0 800x600x24" "$0" "$@"
fi

bin=$PWD/$build_dir/bin
echo "== micro-benchmarks"
"$bin/vora_micro_bench" --benchmark_min_time=0.2 2>/dev/null

work=$(mktemp -d /tmp/vora-bench-XXXXXX)
trap 'kill $(jobs -p) 2>/dev/null || true; rm -rf "$work"' EXIT
export VORA_AGENT_ROOT=$work/root
mkdir -p "$VORA_AGENT_ROOT/Orvel/VORA/data"
echo "launchmenu=true" >"$VORA_AGENT_ROOT/Orvel/VORA/data/arn.conf"
ticks=$(getconf CLK_TCK)

# idle PROGRAM ARGS...: starts it, waits 2 s, then prints
# "cpu_ms wakeups peak_rss_kib" over the next IDLE seconds.
idle() {
    "$@" >/dev/null 2>&1 &
    local pid=$!
    sleep 2
    read -r u1 s1 < <(awk '{print $14, $15}' "/proc/$pid/stat")
    local c1; c1=$(awk '/ctxt_switches/ {n += $2} END {print n}' "/proc/$pid/status")
    sleep "$IDLE"
    read -r u2 s2 < <(awk '{print $14, $15}' "/proc/$pid/stat")
    local c2; c2=$(awk '/ctxt_switches/ {n += $2} END {print n}' "/proc/$pid/status")
    local rss; rss=$(awk '/VmHWM/ {print $2}' "/proc/$pid/status")
    kill "$pid"; wait "$pid" 2>/dev/null || true
    echo "$(( (u2 + s2 - u1 - s1) * 1000 / ticks )) $((c2 - c1)) $rss"
}
median() { sort -n | awk '{a[NR] = $1} END {print a[int((NR + 1) / 2)]}'; }

IDLE=10
: >"$work/ours"; : >"$work/bare"
for round in 1 2 3; do
    idle "$bin/VUserAlert" -name=Bench -message=Waiting -ok -timeout=600 -suffix=bench$round >>"$work/ours"
    idle "$bin/vora_bare_qt_window" >>"$work/bare"
done

# Marker latency: the agent writes SHOWOK; time until the dialog took it.
"$bin/VUserAlert" -name=Latency -ok -timeout=600 -suffix=latency >/dev/null 2>&1 &
dialog=$!
sleep 2
python3 - "$VORA_AGENT_ROOT/Orvel/VORA/data/user/VUSERALERT_SHOWOK.latency" >"$work/latency" <<'PY'
import os, sys, time
path = sys.argv[1]
samples = []
for _ in range(200):
    open(path, "w").close()
    start = time.monotonic()
    while os.path.exists(path):
        time.sleep(0.0005)
    samples.append((time.monotonic() - start) * 1000)
    time.sleep(0.013)   # do not stay in phase with the 50 ms poll
samples.sort()
print("%.1f %.1f" % (samples[len(samples) // 2], samples[int(len(samples) * 0.99) - 1]))
PY
kill $dialog; wait $dialog 2>/dev/null || true

start_private_system_bus "$work"
mkfifo "$work/helper"
"$bin/vora-agent" helper --connected <"$work/helper" >/dev/null 2>&1 &
exec 3>"$work/helper"
sleep 0.5
IDLE=60
read -r bar_cpu bar_wakeups bar_rss < <(idle "$bin/VORAMenuBar")
echo quit >&3

col() { awk -v c="$1" '{print $c}' "$2" | median; }
ours_cpu=$(col 1 "$work/ours"); bare_cpu=$(col 1 "$work/bare")
ours_wake=$(col 2 "$work/ours"); bare_wake=$(col 2 "$work/bare")
ours_rss=$(col 3 "$work/ours"); bare_rss=$(col 3 "$work/bare")
read -r p50 p99 <"$work/latency"
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { if (b > 0) printf "%.2f", a / b; else print "-" }'; }

echo
echo "== whole-process figures (medians of 3 interleaved rounds)"
printf "| %-40s | %12s | %12s | %6s |\n" "figure" "VUserAlert" "bare Qt" "ratio"
printf "|%s|%s|%s|%s|\n" "------------------------------------------" "--------------" "--------------" "--------"
printf "| %-40s | %12s | %12s | %6s |\n" "CPU over 10 s idle (ms)" "$ours_cpu" "$bare_cpu" "$(ratio "$ours_cpu" "$bare_cpu")"
printf "| %-40s | %12s | %12s | %6s |\n" "wake-ups over 10 s idle" "$ours_wake" "$bare_wake" "$(ratio "$ours_wake" "$bare_wake")"
printf "| %-40s | %12s | %12s | %6s |\n" "peak RSS (KiB)" "$ours_rss" "$bare_rss" "$(ratio "$ours_rss" "$bare_rss")"
printf "| %-40s | %12s | %12s | %6s |\n" "SHOWOK latency p50 / p99 (ms)" "$p50 / $p99" "-" "-"
printf "| %-40s | %12s | %12s | %6s |\n" "VORAMenuBar CPU over 60 s idle (ms)" "$bar_cpu" "-" "-"
printf "| %-40s | %12s | %12s | %6s |\n" "VORAMenuBar wake-ups over 60 s" "$bar_wakeups" "-" "-"
