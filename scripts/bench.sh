#!/usr/bin/env bash
# Builds Release and measures: the micro-benchmarks, then whole-process
# figures under Xvfb (bench/process_bench.py), in interleaved rounds of
# VUserAlert and the bare Qt reference: exec until the first window is
# mapped (from the X server's MapNotify), peak RSS, CPU per poll tick and
# wake-ups of an open dialog idling, where a wake-up's CPU goes, marker
# command latency (SHOWOK written until consumed, 200 commands); for
# VORAMenuBar idle CPU over 60 s and the time from the agent's restart
# notification to the new state shown; as root, also the time to visible of
# a dialog started through her service manager on GNOME Shell against zenity
# (bench/desktop_launch.sh). Prints tables of medians and ratios.
# Usage: scripts/bench.sh [process_bench.py options, e.g. --rounds 5]
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh
build_dir=build-release
cmake -S . -B "$build_dir" -G Ninja -DCMAKE_BUILD_TYPE=Release -DVORA_BUILD_TESTS=OFF >/dev/null
cmake --build "$build_dir" --parallel "$(nproc 2>/dev/null || echo 2)" \
    --target vora_micro_bench vora_bare_qt_window vora_bare_poll_loop vora_map_timer VUserAlert VORAMenuBar \
    vora-agent

# A display of its own: the start-up timer takes the first window mapped.
if [ -z "${VORA_BENCH_UNDER_XVFB:-}" ]; then
    export VORA_BENCH_UNDER_XVFB=1
    # -noreset: the server stays up between the rounds' clients.
    exec xvfb-run -a -s "-screen 0 1024x768x24 -noreset" "$0" "$@"
fi

bin=$PWD/$build_dir/bin
echo "== micro-benchmarks"
"$bin/vora_micro_bench" --benchmark_min_time=0.2 2>/dev/null

python3 bench/process_bench.py --bin "$bin" "$@"

# Time to visible through the user's own service manager on her GNOME Shell,
# in a booted rig of its own (root only: it boots systemd in namespaces).
if [ "$(id -u)" -eq 0 ]; then
    bench/desktop_launch.sh "$bin" "${VORA_BENCH_DESKTOP_ROUNDS:-9}" 2>/dev/null ||
        echo "(time to visible through her manager: not measured, status $?)"
fi
