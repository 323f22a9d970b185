"""Streaming agent runs: 1,000,000 JSON event lines pushed through
py_launch_agent(stream=True) (two reader threads, one channel, each line echoed and
captured), next to `cat` of the same file through Python's subprocess, in one process.

    .venv/cpython/bin/python bench/stream.py

The fake agent is a script that execs `cat` on the file, so both sides start the same
program and read the same bytes. Peers:
  - subprocess.run(["cat", file], capture_output=True): one bulk capture, no lines;
  - a Popen line loop that echoes and captures each line, the Python way of streaming.
Echo goes to /dev/null on every side. The sides alternate in rounds, so that a busy
machine slows them alike; each side's time is the median of its rounds. A ratio above
1.0x means the streaming run moves more lines per second than the peer.
"""
import os
import statistics
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests"))

from support.fds import output_discarded  # noqa: E402
from varnel import engine  # noqa: E402

LINES = 1_000_000
ROUNDS = 3

EVENTS = [
    '{"type":"assistant","message":{"content":[{"type":"text","text":"Reading the module %d."}]}}',
    '{"type":"assistant","message":{"content":[{"type":"tool_use","name":"Read","input":{"file_path":"src/m%d.py"}}]}}',
    '{"type":"user","message":{"content":[{"type":"tool_result","content":"ok %d"}]}}',
    '{"type":"item.started","item":{"type":"command_execution","command":"pytest -q tests/t%d.py"}}',
]


def write_events(path):
    with open(path, "w") as f:
        for i in range(LINES):
            f.write(EVENTS[i % len(EVENTS)] % i)
            f.write("\n")
    return os.path.getsize(path)


def ours(path):
    with output_discarded():
        result = engine.py_launch_agent("claude", "", stream=True)
    return result.stdout


def cat_capture(path):
    return subprocess.run(["cat", path], capture_output=True, check=True).stdout.decode("utf-8", "replace")


def line_loop(path):
    captured = []
    with open(os.devnull, "w") as echo, subprocess.Popen(["cat", path], stdout=subprocess.PIPE,
                                                         stderr=subprocess.PIPE, text=True,
                                                         errors="replace") as proc:
        for line in proc.stdout:
            echo.write(line)
            echo.flush()
            captured.append(line)
        proc.stderr.read()
    return "".join(captured)


def timed(fn, path):
    start = time.perf_counter()
    out = fn(path)
    return time.perf_counter() - start, out


def main():
    with tempfile.TemporaryDirectory() as base:
        path = os.path.join(base, "events.jsonl")
        size = write_events(path)
        bin_dir = os.path.join(base, "bin")
        os.mkdir(bin_dir)
        agent = os.path.join(bin_dir, "claude")
        with open(agent, "w") as f:
            f.write('#!/bin/sh\nexec cat "$VARNEL_BENCH_EVENTS"\n')
        os.chmod(agent, 0o755)
        os.environ["PATH"] = bin_dir + os.pathsep + os.environ["PATH"]
        os.environ["VARNEL_BENCH_EVENTS"] = path

        sides = {"py_launch_agent(stream=True)": ours, "subprocess.run(cat) capture": cat_capture,
                 "Popen(cat) line loop": line_loop}
        times = {name: [] for name in sides}
        for _ in range(ROUNDS):
            for name, fn in sides.items():
                elapsed, out = timed(fn, path)
                if len(out) != size or out.count("\n") != LINES:
                    sys.exit(f"{name} captured {len(out)} characters, expected {size}")
                times[name].append(elapsed)
        rate = {name: LINES / statistics.median(t) for name, t in times.items()}
        mine = rate["py_launch_agent(stream=True)"]
        print(f"{LINES:,} event lines ({size / 1e6:.0f} MB), median of {ROUNDS} rounds:")
        for name, r in rate.items():
            ratio = "" if r is mine else f"  ratio {mine / r:.2f}x"
            print(f"  {name:30s} {r / 1e6:6.2f} M lines/s{ratio}")


if __name__ == "__main__":
    main()
