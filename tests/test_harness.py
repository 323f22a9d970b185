"""The fake-program harness itself: other tests rely on what it records."""
import subprocess

from support.repos import git


def test_fake_records_argv_cwd_env_and_answers_in_order(fakes, tmp_path, monkeypatch):
    gh = fakes.program("gh", stdout="default\n", env=("VARNEL_X",), record_stdin=True)
    gh.respond(stdout="first\n", stderr="oops", exit_code=1)
    monkeypatch.setenv("VARNEL_X", "a b")
    args = ["pr", "view", "it's \"quoted\"", "-", "", "line\nbreak"]
    one = subprocess.run(["gh", *args], cwd=str(tmp_path), input=b"in", capture_output=True)
    two = subprocess.run(["gh"], capture_output=True, stdin=subprocess.DEVNULL)
    assert (one.returncode, one.stdout, one.stderr) == (1, b"first\n", b"oops")
    assert (two.returncode, two.stdout) == (0, b"default\n")
    calls = gh.calls
    assert [c.argv for c in calls] == [args, []]
    assert calls[0].cwd == str(tmp_path)
    assert calls[0].env["VARNEL_X"] == "a b"
    assert calls[0].stdin == b"in" and calls[1].stdin == b""


def test_wrapping_fake_logs_and_runs_the_real_program(fakes, repo, real_git):
    head = repo.head()
    logged = fakes.program("git", wraps=real_git)
    out = subprocess.run(["git", "-C", str(repo), "rev-parse", "HEAD"], capture_output=True, text=True)
    assert out.stdout.strip() == head
    assert logged.argvs == [["-C", str(repo), "rev-parse", "HEAD"]]


def test_repo_fixture_has_origin_with_recorded_default(repo):
    assert repo.branch() == "main"
    assert git(repo.path, "symbolic-ref", "--short", "refs/remotes/origin/HEAD") == "origin/main"
    assert git(repo.path, "status", "--porcelain") == ""
