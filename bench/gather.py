"""Context gathering against its floor: the git commands it runs.

A generated repository (500 scratch documents, 100 root documents, a branch whose
diff against origin/main touches 15 files) is gathered with py_gather_context, and
the same git commands are run through Python's subprocess. The work that is not git
(listing and reading the documents, the step, the guide) is measured directly as the
same gathering without the branch's changes. The three are run in turn in each round,
so that a busy machine slows them alike; medians are reported.
"""
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


def interleaved_medians(*fns):
    """The median seconds of each function, the functions called in turn RUNS times."""
    times = [[] for _ in fns]
    for _ in range(RUNS):
        for fn, record in zip(fns, times):
            start = time.perf_counter()
            fn()
            record.append(time.perf_counter() - start)
    return [statistics.median(t) for t in times]


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

        def gather_without_git():
            return varnel.engine.py_gather_context(str(repo), diff_files=False)

        def git_alone():
            for argv in commands:
                subprocess.run(argv, cwd=str(repo), stdin=subprocess.DEVNULL, capture_output=True)

        components = gather()
        text = components.format()
        assert "<vn:diff>\ndiff --git" in text and text.count("<vn:note") == 500, "unexpected prompt"

        t_gather, t_docs, t_git, t_format = interleaved_medians(gather, gather_without_git, git_alone,
                                                                components.format)
        print("python {} ({})".format(sys.version.split()[0], sys.implementation.name))
        print("py_gather_context              {:8.2f} ms  (600 documents, {:.1f} MB prompt)".format(
            t_gather * 1e3, len(text.encode()) / 1e6))
        print("  the same without git         {:8.2f} ms".format(t_docs * 1e3))
        print("same git via subprocess        {:8.2f} ms  ({} commands)".format(t_git * 1e3, len(commands)))
        print("format() of the result         {:8.2f} ms".format(t_format * 1e3))
        print("share that is not git: {:.1%} measured, {:.1%} by subtracting subprocess git "
              "(target under {:.0%})".format(t_docs / t_gather, max(0.0, t_gather - t_git) / t_gather, TARGET_SHARE))


if __name__ == "__main__":
    main()
