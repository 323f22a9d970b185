"""Context gathering against its floor: the git commands it runs.

A generated repository (500 scratch documents, 100 root documents, a branch whose
diff against origin/main touches 15 files) is gathered with py_gather_context, and
the same git commands are run through Python's subprocess. Gathering cannot be faster
than its git commands; what it adds on top (listing and reading the documents,
starting the programs from native code) is the share that is not git.
"""
import os
import pathlib
import statistics
import subprocess
import sys
import tempfile
import time

import varnel

RUNS = 30
TARGET_SHARE = 0.15


def git(cwd, *args):
    subprocess.run(["git", *args], cwd=cwd, check=True, capture_output=True)


def make_repository(base: pathlib.Path) -> pathlib.Path:
    repo = base / "repo"
    (repo / "scratch").mkdir(parents=True)
    git(base, "init", "-q", "-b", "main", str(repo))
    paragraph = "Notes on the design, with enough words to look like a real document.\n" * 40
    for i in range(500):
        sub = repo / "scratch" / "area{}".format(i % 10)
        sub.mkdir(exist_ok=True)
        (sub / "note{:03}.md".format(i)).write_text("# Note {}\n\n{}".format(i, paragraph))
    for i in range(100):
        (repo / "DOC{:03}.md".format(i)).write_text("# Document {}\n\n{}".format(i, paragraph))
    for i in range(15):
        (repo / "src").mkdir(exist_ok=True)
        (repo / "src" / "mod{}.py".format(i)).write_text("".join("line {}\n".format(n) for n in range(40)))
    git(repo, "add", "-A")
    git(repo, "-c", "user.name=b", "-c", "user.email=b@b", "commit", "-q", "-m", "base")
    git(base, "init", "-q", "--bare", "-b", "main", str(base / "origin.git"))
    git(repo, "remote", "add", "origin", str(base / "origin.git"))
    git(repo, "push", "-q", "origin", "main")
    git(repo, "remote", "set-head", "origin", "main")
    git(repo, "checkout", "-q", "-b", "feature")
    for i in range(15):
        path = repo / "src" / "mod{}.py".format(i)
        path.write_text(path.read_text().replace("line 7\n", "line seven\n"))
    git(repo, "-c", "user.name=b", "-c", "user.email=b@b", "commit", "-q", "-am", "change")
    return repo


def median_seconds(fn):
    times = []
    for _ in range(RUNS):
        start = time.perf_counter()
        fn()
        times.append(time.perf_counter() - start)
    return statistics.median(times)


def main():
    with tempfile.TemporaryDirectory() as tmp:
        repo = make_repository(pathlib.Path(tmp))
        rng = "origin/main...HEAD"
        commands = [
            ["git", "branch", "--show-current"],
            ["git", "-C", str(repo), "symbolic-ref", "--quiet", "--short", "refs/remotes/origin/HEAD"],
            ["git", "diff", "--name-only", rng],
            ["git", "diff", "--shortstat", rng],
            ["git", "diff", "--stat", rng],
            ["git", "diff", rng],
        ]

        def gather():
            return varnel.engine.py_gather_context(str(repo))

        def git_alone():
            for argv in commands:
                subprocess.run(argv, cwd=str(repo), stdin=subprocess.DEVNULL, capture_output=True)

        components = gather()
        text = components.format()
        assert "<vn:diff>\ndiff --git" in text and text.count("<vn:note") == 500, "unexpected prompt"

        t_gather = median_seconds(gather)
        t_git = median_seconds(git_alone)
        t_format = median_seconds(components.format)
        share = max(0.0, t_gather - t_git) / t_gather
        print("python {}".format(sys.version.split()[0]))
        print("py_gather_context          {:8.2f} ms  (600 documents, {:.1f} MB prompt)".format(
            t_gather * 1e3, len(text.encode()) / 1e6))
        print("same git via subprocess    {:8.2f} ms  ({} commands)".format(t_git * 1e3, len(commands)))
        print("format() of the result     {:8.2f} ms".format(t_format * 1e3))
        print("share of gathering that is not git: {:.1%} (target under {:.0%})".format(share, TARGET_SHARE))


if __name__ == "__main__":
    main()
