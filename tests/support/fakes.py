"""Fake external programs for the tests.

A fake is a small /bin/sh script put in a directory first on PATH. Each call records its
arguments, working directory, chosen environment variables and (on request) its standard
input, then answers with scripted output and an exit code. Answers queued with
`respond()` are used one per call, in order; when the queue is empty the default
answer is used.
"""
import os
import pathlib
import shlex
import shutil

_TEMPLATE = """#!/bin/sh
calls={calls}
n=0
while ! /bin/mkdir "$calls/$n" 2>/dev/null; do n=$((n+1)); done
call="$calls/$n"
for a in "$@"; do printf '%s\\000' "$a"; done > "$call/argv"
pwd > "$call/cwd"
for v in {env_names}; do
  if eval "[ -n \\"\\${{$v+set}}\\" ]"; then eval "printf '%s\\000%s\\000' \\"$v\\" \\"\\$$v\\""; fi
done > "$call/env"
{stdin_line}
answers={answers}
if [ -e "$answers/$n.code" ]; then a="$answers/$n"; else a="$answers/default"; fi
[ -e "$a.out" ] && /bin/cat "$a.out"
[ -e "$a.err" ] && /bin/cat "$a.err" >&2
{script}
exit "$(/bin/cat "$a.code")"
"""


class Call:
    """One recorded run of a fake program."""

    def __init__(self, directory: pathlib.Path):
        raw = (directory / "argv").read_bytes()
        self.argv = [a.decode("utf-8", "surrogateescape") for a in raw.split(b"\0")[:-1]]
        self.cwd = (directory / "cwd").read_text().rstrip("\n")
        items = (directory / "env").read_bytes().split(b"\0")[:-1]
        self.env = {items[i].decode(): items[i + 1].decode("utf-8", "surrogateescape") for i in range(0, len(items), 2)}
        stdin = directory / "stdin"
        self.stdin = stdin.read_bytes() if stdin.exists() else None

    def __repr__(self):
        return "Call(argv={!r}, cwd={!r})".format(self.argv, self.cwd)


class FakeProgram:
    def __init__(self, root: pathlib.Path, name: str):
        self.name = name
        self.path = root / "bin" / name
        self._calls = root / "calls" / name
        self._answers = root / "answers" / name
        self._queued = 0

    def _write_answer(self, key, stdout, stderr, exit_code):
        self._answers.mkdir(parents=True, exist_ok=True)
        for suffix, data in ((".out", stdout), (".err", stderr)):
            if isinstance(data, str):
                data = data.encode()
            (self._answers / (key + suffix)).write_bytes(data)
        (self._answers / (key + ".code")).write_text(str(exit_code))

    def respond(self, stdout=b"", stderr=b"", exit_code=0):
        """Queues the answer of the next call not yet answered."""
        self._write_answer(str(self._queued), stdout, stderr, exit_code)
        self._queued += 1
        return self

    @property
    def calls(self):
        if not self._calls.exists():
            return []
        dirs = sorted((d for d in self._calls.iterdir()), key=lambda d: int(d.name))
        return [Call(d) for d in dirs]

    @property
    def argvs(self):
        return [c.argv for c in self.calls]


class Fakes:
    """Writes fake programs into `root/bin`, which the fixture puts first on PATH."""

    def __init__(self, root: pathlib.Path):
        self.root = root
        self.bin = root / "bin"
        self.bin.mkdir(parents=True, exist_ok=True)

    def program(self, name, stdout=b"", stderr=b"", exit_code=0, script="", env=(), record_stdin=False, wraps=None):
        """Creates (or replaces) the fake `name`.

        stdout, stderr, exit_code: the default answer.
        script: sh lines run after the answer is printed and before exiting (e.g. to
            write more output, sleep, or `kill -KILL $$`).
        env: names of environment variables to record (HOME, PATH and PWD always are).
        record_stdin: read standard input to its end and record it.
        wraps: the path of a real program to run (with the same arguments) after
            recording, instead of answering; its exit status becomes the fake's.
        """
        fake = FakeProgram(self.root, name)
        fake._calls.mkdir(parents=True, exist_ok=True)
        fake._write_answer("default", stdout, stderr, exit_code)
        names = " ".join(["HOME", "PATH", "PWD"] + [n for n in env if n not in ("HOME", "PATH", "PWD")])
        text = _TEMPLATE.format(
            calls=shlex.quote(str(fake._calls)),
            answers=shlex.quote(str(fake._answers)),
            env_names=names,
            stdin_line='/bin/cat > "$call/stdin"' if record_stdin else "",
            script=script,
        )
        if wraps:
            # Record, then hand over to the real program.
            text = text.split("answers=")[0] + "exec {} \"$@\"\n".format(shlex.quote(str(wraps)))
        fake.path.write_text(text)
        fake.path.chmod(0o755)
        return fake

    def remove(self, name):
        (self.bin / name).unlink(missing_ok=True)

    @staticmethod
    def real(name):
        """The path of the real program `name` outside the fakes directory."""
        return shutil.which(name, path=os.environ.get("VARNEL_REAL_PATH", os.defpath))
