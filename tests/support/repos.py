"""Real git repositories in temporary directories, each with a bare `origin`."""
import pathlib
import subprocess


def git(cwd, *args, check=True):
    """Runs the real git in `cwd`; returns its trimmed standard output."""
    done = subprocess.run(["git", *args], cwd=str(cwd), capture_output=True, text=True)
    if check and done.returncode != 0:
        raise AssertionError("git {} failed in {}: {}".format(" ".join(args), cwd, done.stderr))
    return done.stdout.strip()


class Repo:
    """A working clone with helpers to write files and commit."""

    def __init__(self, path: pathlib.Path, origin: pathlib.Path = None):
        self.path = path
        self.origin = origin

    def __str__(self):
        return str(self.path)

    def git(self, *args, check=True):
        return git(self.path, *args, check=check)

    def write(self, relative, text):
        target = self.path / relative
        target.parent.mkdir(parents=True, exist_ok=True)
        if isinstance(text, bytes):
            target.write_bytes(text)
        else:
            target.write_text(text)
        return target

    def commit(self, message="change", **files):
        """Writes `files` (name=text; use `write` for paths with slashes), stages everything and commits."""
        for name, text in files.items():
            self.write(name, text)
        self.git("add", "-A")
        self.git("commit", "-q", "-m", message)
        return self.head()

    def head(self):
        return self.git("rev-parse", "HEAD")

    def branch(self):
        return self.git("symbolic-ref", "--short", "HEAD")


def make_repo(base: pathlib.Path, name="repo", origin=True, files=None) -> Repo:
    """Creates `base/name` on branch main with one commit (README.md unless `files` says
    otherwise) and, with `origin`, a bare `base/name-origin.git` that it was pushed to,
    with origin/HEAD recorded as main."""
    path = base / name
    path.mkdir(parents=True)
    git(path, "init", "-q", "-b", "main")
    repo = Repo(path)
    for relative, text in (files or {"README.md": "# test repository\n"}).items():
        repo.write(relative, text)
    git(path, "add", "-A")
    git(path, "commit", "-q", "-m", "initial")
    if origin:
        bare = base / (name + "-origin.git")
        git(base, "init", "-q", "--bare", "-b", "main", str(bare))
        git(path, "remote", "add", "origin", str(bare))
        git(path, "push", "-q", "-u", "origin", "main")
        git(path, "remote", "set-head", "origin", "main")
        repo.origin = bare
    return repo
