#!/usr/bin/env python3
"""Whole-process figures of VUserAlert and VORAMenuBar (scripts/bench.sh
runs this under Xvfb after the micro-benchmarks).

Rounds of our program and the bare Qt reference are interleaved, so a busy
moment of the machine falls on both; the table gives medians and ratios.

CPU is read from /proc/PID/task/*/schedstat (nanoseconds on a CPU, summed
over the threads), not from the 10 ms clock ticks of /proc/PID/stat:
    idle CPU per tick = CPU over the idle window / (window / 50 ms)
"""

import argparse
import os
import random
import re
import selectors
import shutil
import signal
import statistics
import subprocess
import sys
import tempfile
import time

POLL_SECONDS = 0.05


def cpu_ns(pid):
    total = 0
    for task in os.listdir(f"/proc/{pid}/task"):
        try:
            with open(f"/proc/{pid}/task/{task}/schedstat") as f:
                total += int(f.read().split()[0])
        except (FileNotFoundError, ProcessLookupError):
            pass
    return total


def wakeups(pid):
    total = 0
    for task in os.listdir(f"/proc/{pid}/task"):
        try:
            with open(f"/proc/{pid}/task/{task}/status") as f:
                for line in f:
                    if "ctxt_switches" in line:
                        total += int(line.split()[1])
        except (FileNotFoundError, ProcessLookupError):
            pass
    return total


def peak_rss_kib(pid):
    with open(f"/proc/{pid}/status") as f:
        for line in f:
            if line.startswith("VmHWM:"):
                return int(line.split()[1])
    return 0


def stop(process):
    if process.poll() is None:
        process.send_signal(signal.SIGTERM)
        try:
            process.wait(timeout=5)
        except subprocess.TimeoutExpired:
            process.kill()
            process.wait()


def idle(command, seconds, env=None, settle=2.0):
    """CPU (ns), wake-ups and peak RSS of COMMAND over SECONDS of idling."""
    process = subprocess.Popen(command, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, env=env)
    try:
        time.sleep(settle)
        cpu0, wake0 = cpu_ns(process.pid), wakeups(process.pid)
        time.sleep(seconds)
        cpu1, wake1 = cpu_ns(process.pid), wakeups(process.pid)
        rss = peak_rss_kib(process.pid)
    finally:
        stop(process)
    return cpu1 - cpu0, wake1 - wake0, rss


def map_ms(timer, command, env=None):
    out = subprocess.run([timer] + command, capture_output=True, text=True, env=env, timeout=30)
    if out.returncode != 0:
        raise RuntimeError(f"{command[0]}: {out.stderr.strip()}")
    # The timer prints the figure last; the program's own lines (the dialog
    # logs why it ends when the timer stops it) come before it.
    return float(out.stdout.strip().splitlines()[-1])


def percentile(samples, fraction):
    ordered = sorted(samples)
    return ordered[min(len(ordered) - 1, max(0, int(round(fraction * len(ordered))) - 1))]


def marker_latency(bin_dir, root, commands):
    """SHOWOK written by the agent until the dialog has consumed it (ms)."""
    marker = os.path.join(root, "Orvel/VORA/data/user/VUSERALERT_SHOWOK.latency")
    dialog = subprocess.Popen([f"{bin_dir}/VUserAlert", "-name=Latency", "-ok", "-timeout=600",
                               "-suffix=latency"], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    samples = []
    try:
        time.sleep(2)
        rng = random.Random(7)
        for _ in range(commands):
            # A random pause: the write falls anywhere in the 50 ms poll.
            time.sleep(rng.uniform(0, POLL_SECONDS))
            open(marker, "w").close()
            start = time.monotonic()
            while os.path.exists(marker):
                time.sleep(0.0002)
            samples.append((time.monotonic() - start) * 1000)
    finally:
        stop(dialog)
    return samples


class LineReader:
    """Lines of a pipe, each with the monotonic time it arrived."""

    def __init__(self, stream):
        self.stream = stream
        self.selector = selectors.DefaultSelector()
        self.selector.register(stream, selectors.EVENT_READ)
        self.pending = b""
        self.arrived = 0.0

    def wait_for(self, pattern, timeout):
        """The arrival time of the next line matching PATTERN, or None."""
        deadline = time.monotonic() + timeout
        while time.monotonic() < deadline:
            while b"\n" in self.pending:
                line, self.pending = self.pending.split(b"\n", 1)
                if re.search(pattern, line.decode(errors="replace")):
                    return self.arrived
            if self.selector.select(max(0, deadline - time.monotonic())):
                chunk = os.read(self.stream.fileno(), 65536)
                self.arrived = time.monotonic()
                if not chunk:
                    return None
                self.pending += chunk
        return None


def start_bus(work):
    here = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests", "support")
    with open(os.path.join(here, "private-system-bus.conf")) as f:
        config = f.read().replace("@DIR@", work)
    with open(os.path.join(work, "bus.conf"), "w") as f:
        f.write(config)
    bus = subprocess.Popen(["dbus-daemon", "--config-file=" + os.path.join(work, "bus.conf"),
                            "--print-address", "--nofork"], stdout=subprocess.PIPE, text=True)
    address = bus.stdout.readline().strip()
    return bus, address


def menubar_figures(bin_dir, work, env, idle_seconds, rounds):
    """Idle CPU over IDLE_SECONDS, then the time from the agent's restart
    notification to the log line of the new state, which the program writes
    just before it shows that state (measured to the line's arrival here, so
    the helper's reading of its command and the pipe are included)."""
    bus, address = start_bus(work)
    env = dict(env, DBUS_SYSTEM_BUS_ADDRESS=address)
    env.pop("DBUS_SESSION_BUS_ADDRESS", None)
    helper = subprocess.Popen([f"{bin_dir}/vora-agent", "helper", "--connected"], stdin=subprocess.PIPE,
                              stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, env=env)
    time.sleep(0.5)
    try:
        cpu, wake, rss = idle([f"{bin_dir}/VORAMenuBar"], idle_seconds, env=env)

        bar = subprocess.Popen([f"{bin_dir}/VORAMenuBar"], stdout=subprocess.DEVNULL,
                               stderr=subprocess.PIPE, env=env)
        lines = LineReader(bar.stderr)
        samples = []
        try:
            if not lines.wait_for(r"Agent is CONNECTED", 10):
                raise RuntimeError("VORAMenuBar showed no first state")
            connected = True
            for _ in range(rounds):
                connected = not connected
                helper.stdin.write(b"connected %s\n" % (b"true" if connected else b"false"))
                helper.stdin.flush()
                time.sleep(0.2)
                start = time.monotonic()
                helper.stdin.write(b"post restart\n")
                helper.stdin.flush()
                state = b"CONNECTED" if connected else b"NOT CONNECTED"
                arrived = lines.wait_for(r"Agent is " + state.decode() + "$", 5)
                if arrived is None:
                    raise RuntimeError("VORAMenuBar did not show the new state")
                samples.append((arrived - start) * 1000)
        finally:
            stop(bar)
        helper.stdin.write(b"quit\n")
        helper.stdin.flush()
        helper.wait(timeout=5)
    finally:
        stop(helper)
        stop(bus)
    return cpu, wake, rss, samples


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--bin", required=True, help="directory of the Release programs")
    parser.add_argument("--rounds", type=int, default=11, help="start-up rounds of each program")
    parser.add_argument("--idle-rounds", type=int, default=3)
    parser.add_argument("--idle-seconds", type=float, default=10)
    parser.add_argument("--menubar-seconds", type=float, default=60)
    args = parser.parse_args()
    b = args.bin

    work = tempfile.mkdtemp(prefix="vora-bench-")
    root = os.path.join(work, "root")
    os.makedirs(os.path.join(root, "Orvel/VORA/data"))
    with open(os.path.join(root, "Orvel/VORA/data/arn.conf"), "w") as f:
        f.write("launchmenu=true\n")
    env = dict(os.environ, VORA_AGENT_ROOT=root)
    os.environ["VORA_AGENT_ROOT"] = root

    dialog = [f"{b}/VUserAlert", "-name=Bench", "-message=Waiting for the installation", "-ok",
              "-timeout=600"]
    # The references test seven names in the dialog's marker directory, so
    # their path lookups cost what the dialog's do.
    markers = os.path.join(root, "Orvel/VORA/data/user")
    os.makedirs(markers)
    bare = [f"{b}/vora_bare_qt_window", markers]
    try:
        starts = {"ours": [], "bare": []}
        for r in range(args.rounds):
            starts["ours"].append(map_ms(f"{b}/vora_map_timer", dialog + [f"-suffix=start{r}"]))
            starts["bare"].append(map_ms(f"{b}/vora_map_timer", bare))

        idles = {"ours": [], "bare": []}
        ticks = args.idle_seconds / POLL_SECONDS
        for r in range(args.idle_rounds):
            idles["ours"].append(idle(dialog + [f"-suffix=idle{r}"], args.idle_seconds))
            idles["bare"].append(idle(bare, args.idle_seconds))

        # Where a wake-up of the bare window goes: without GLib's event
        # dispatcher, with another timer type, without the X connection
        # (offscreen), and without Qt.
        anatomy = []
        variants = [
            ("bare Qt window (xcb, GLib dispatcher)", bare, {}),
            ("bare Qt window, Qt's own dispatcher (QT_NO_GLIB=1)", bare, {"QT_NO_GLIB": "1"}),
            ("bare Qt window, precise instead of coarse timer", bare, {"VORA_BENCH_PRECISE_TIMER": "1"}),
            ("bare Qt window, no X connection (offscreen)", bare, {"QT_QPA_PLATFORM": "offscreen"}),
            ("bare Qt window, offscreen and QT_NO_GLIB=1", bare,
             {"QT_QPA_PLATFORM": "offscreen", "QT_NO_GLIB": "1"}),
            ("no toolkit: nanosleep + 7 stat", [f"{b}/vora_bare_poll_loop", markers], {}),
            ("VUserAlert, QT_NO_GLIB=1", dialog + ["-suffix=anatomy"], {"QT_NO_GLIB": "1"}),
        ]
        for label, command, extra in variants:
            cpu, wake, _ = idle(command, args.idle_seconds, env=dict(env, **extra))
            anatomy.append((label, cpu / ticks / 1000, wake))

        latency = marker_latency(b, root, 200)
        bar_cpu, bar_wake, bar_rss, notify = menubar_figures(b, work, env, args.menubar_seconds, 20)
    finally:
        shutil.rmtree(work, ignore_errors=True)

    med = statistics.median

    def ratio(a, c):
        return f"{a / c:.2f}" if c else "-"

    ours_tick = med(x[0] for x in idles["ours"]) / ticks / 1000
    bare_tick = med(x[0] for x in idles["bare"]) / ticks / 1000
    ours_wake = med(x[1] for x in idles["ours"])
    bare_wake = med(x[1] for x in idles["bare"])
    ours_rss = med(x[2] for x in idles["ours"])
    bare_rss = med(x[2] for x in idles["bare"])
    s_ours, s_bare = med(starts["ours"]), med(starts["bare"])

    rows = [
        ("exec → first window mapped (ms)", f"{s_ours:.1f}", f"{s_bare:.1f}", ratio(s_ours, s_bare)),
        ("peak RSS (KiB)", f"{ours_rss:.0f}", f"{bare_rss:.0f}", ratio(ours_rss, bare_rss)),
        ("CPU per 50 ms tick, idle (µs)", f"{ours_tick:.1f}", f"{bare_tick:.1f}", ratio(ours_tick, bare_tick)),
        ("CPU share of a core, idle (%)", f"{ours_tick / 500:.3f}", f"{bare_tick / 500:.3f}", "-"),
        (f"wake-ups over {args.idle_seconds:g} s idle", f"{ours_wake:.0f}", f"{bare_wake:.0f}",
         ratio(ours_wake, bare_wake)),
        ("SHOWOK latency p50 / p99 / max (ms)",
         f"{percentile(latency, 0.5):.1f} / {percentile(latency, 0.99):.1f} / {max(latency):.1f}", "-", "-"),
        (f"VORAMenuBar CPU over {args.menubar_seconds:g} s idle (ms)", f"{bar_cpu / 1e6:.2f}", "-", "-"),
        ("VORAMenuBar CPU share of a core, idle (%)",
         f"{bar_cpu / 1e9 / args.menubar_seconds * 100:.4f}", "-", "-"),
        (f"VORAMenuBar wake-ups over {args.menubar_seconds:g} s", f"{bar_wake}", "-", "-"),
        ("VORAMenuBar peak RSS (KiB)", f"{bar_rss}", "-", "-"),
        ("restart notification → new state, p50 / max (ms)",
         f"{percentile(notify, 0.5):.1f} / {max(notify):.1f}", "-", "-"),
    ]
    print(f"\n== whole-process figures (medians; {args.rounds} start-up rounds, "
          f"{args.idle_rounds} idle rounds, interleaved)")
    print("| figure | VUserAlert | bare Qt window | ratio |")
    print("|---|---|---|---|")
    for row in rows:
        print("| " + " | ".join(row) + " |")

    print(f"\n== where an idle wake-up goes ({args.idle_seconds:g} s each, CPU per 50 ms tick)")
    print("| program | CPU per tick (µs) | wake-ups |")
    print("|---|---|---|")
    for label, tick, wake in anatomy:
        print(f"| {label} | {tick:.1f} | {wake} |")
    return 0


if __name__ == "__main__":
    sys.exit(main())
