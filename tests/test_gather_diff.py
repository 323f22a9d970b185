"""The branch's changes in the prompt: unified diff, --stat summary, or nothing."""
import pytest

from varnel import engine

CHANGES = "Changes on this branch (diff against main).\n\n<vn:diff>\n"


def changes(repo, **kwargs):
    """The text inside <vn:diff>, or None when the prompt has no changes section."""
    text = engine.py_gather_context(str(repo), vndocs=False, **kwargs).format()
    if CHANGES not in text:
        return None
    return text.split(CHANGES, 1)[1].split("\n</vn:diff>", 1)[0]


def on_branch(repo, files, name="feature"):
    repo.git("checkout", "-q", "-b", name)
    for path, text in files.items():
        repo.write(path, text)
    repo.commit("work")


def lines(n, width=1):
    return "".join("{}\n".format("w " * width + str(i)) for i in range(n))


# The full diff is asked for only when the file and line counts allow it.
@pytest.mark.parametrize("files, tier, asks_full_diff", [
    ({"a.txt": "one\n"}, "unified", True),
    ({"f{:02}.txt".format(i): "x\n" for i in range(20)}, "unified", True),
    ({"f{:02}.txt".format(i): "x\n" for i in range(21)}, "stat", False),
    ({"a.txt": lines(400), "b.txt": lines(300), "c.txt": lines(100)}, "unified", True),
    ({"a.txt": lines(400), "b.txt": lines(300), "c.txt": lines(101)}, "stat", False),
    ({"a.txt": lines(100, width=100), "b.txt": lines(100, width=100)}, "stat", True),  # 15000 tokens or more
], ids=["one-file", "20-files", "21-files", "800-lines", "801-lines", "many-tokens"])
def test_tier_follows_the_size_of_the_change(repo, fakes, real_git, files, tier, asks_full_diff):
    on_branch(repo, files)
    git = fakes.program("git", wraps=real_git)
    text = changes(repo)
    rng = "origin/main...HEAD"
    commands = [["branch", "--show-current"],
                ["-C", str(repo), "symbolic-ref", "--quiet", "--short", "refs/remotes/origin/HEAD"],
                ["diff", "--name-only", rng], ["diff", "--shortstat", rng], ["diff", "--stat", rng]]
    assert git.argvs == commands + ([["diff", rng]] if asks_full_diff else [])
    if tier == "unified":
        assert text.startswith("diff --git a/")
        assert text == repo.git("diff", rng)
    else:
        assert text == repo.git("diff", "--stat", rng)
        assert " changed, " in text


def test_no_changes_section_without_a_branch_change(repo, new_repo, fakes, real_git):
    git = fakes.program("git", wraps=real_git)
    # On main: only the branch is asked for.
    assert changes(repo) is None
    assert git.argvs == [["branch", "--show-current"]]
    # Detached head.
    repo.git("checkout", "-q", "--detach")
    assert changes(repo) is None
    # A branch with nothing beyond the base.
    repo.git("checkout", "-q", "-b", "empty")
    assert changes(repo) is None
    # No origin: git diff --name-only fails.
    lone = new_repo(name="lone", origin=False)
    on_branch(lone, {"a.txt": "a\n"})
    assert changes(lone) is None
    # Neither flag: git is not run at all.
    on_branch(repo, {"a.txt": "a\n"}, name="more")
    calls = len(git.calls)
    assert changes(repo, diff_files=False) is None
    assert len(git.calls) == calls


def test_diff_flag_gathers_like_diff_files(repo):
    on_branch(repo, {"a.txt": "a\n"})
    assert changes(repo, diff_files=False, diff=True) == changes(repo) == repo.git("diff", "origin/main...HEAD")


def test_base_is_the_remote_default_branch(repo, fakes, real_git):
    repo.git("checkout", "-q", "-b", "develop")
    repo.git("push", "-q", "origin", "develop")
    repo.git("remote", "set-head", "origin", "develop")
    on_branch(repo, {"a.txt": "a\n"})
    git = fakes.program("git", wraps=real_git)
    assert changes(repo) == repo.git("diff", "origin/develop...HEAD")
    assert ["diff", "--name-only", "origin/develop...HEAD"] in git.argvs
    # Without a recorded default the base is main.
    repo.git("remote", "set-head", "origin", "--delete")
    assert changes(repo) == repo.git("diff", "origin/main...HEAD")
