"""What the git layer adds over the git process itself: 200 py_git_rev_parse calls against
the same 200 `git -C <repo> rev-parse HEAD` commands run through subprocess, in one process.

    .venv/cpython/bin/python bench/git_layer.py

The two sides alternate in rounds, so that a busy machine slows both alike; each side's
time is the median of its rounds. A ratio below 1.0x means the layer is no slower than
subprocess.
"""
import os
import statistics
import subprocess
import sys
import tempfile
import time

from varnel import engine

CALLS = 200
ROUNDS = 10


def make_repo(base):
    repo = os.path.join(base, "repo")
    env = dict(os.environ, GIT_CONFIG_NOSYSTEM="1", HOME=base)
    for args in (["init", "-q", "-b", "main", repo],
                 ["-C", repo, "-c", "user.name=b", "-c", "user.email=b@b.invalid",
                  "commit", "-q", "--allow-empty", "-m", "bench"]):
        subprocess.run(["git", *args], check=True, env=env)
    return repo


def ours(repo, count):
    rev_parse = engine.git.py_git_rev_parse
    return [rev_parse(repo, "HEAD") for _ in range(count)]


def theirs(repo, count):
    command = ["git", "-C", repo, "rev-parse", "HEAD"]
    return [subprocess.run(command, capture_output=True, text=True, check=True).stdout.strip()
            for _ in range(count)]


def timed(fn, *args):
    start = time.perf_counter()
    fn(*args)
    return time.perf_counter() - start


def main():
    with tempfile.TemporaryDirectory() as base:
        repo = make_repo(base)
        if ours(repo, 1) != theirs(repo, 1):
            sys.exit("py_git_rev_parse and git disagree")
        per_round = CALLS // ROUNDS
        t_ours, t_theirs = [], []
        for _ in range(ROUNDS):
            t_ours.append(timed(ours, repo, per_round))
            t_theirs.append(timed(theirs, repo, per_round))
        ours_ms = statistics.median(t_ours) / per_round * 1e3
        theirs_ms = statistics.median(t_theirs) / per_round * 1e3
        print(f"git rev-parse HEAD x{CALLS}: py_git_rev_parse {ours_ms:.3f} ms/call  "
              f"subprocess {theirs_ms:.3f} ms/call  ratio {ours_ms / theirs_ms:.2f}x (target <= 1.0x)")


if __name__ == "__main__":
    main()
