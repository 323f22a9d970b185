"""Worktrees and branches through engine.git, with real git."""
import pytest

from varnel import engine

G = engine.git


def fails_with(command, function, *args):
    with pytest.raises(RuntimeError) as caught:
        function(*args)
    assert caught.value.args == ("git command failed: " + command,)


def test_worktree_add_move_remove(repo, fakes, real_git):
    added = repo.path.parent / "repo.feat login ü"
    moved = repo.path.parent / "moved it's"
    logged = fakes.program("git", wraps=real_git)

    G.py_git_worktree_add(str(repo), str(added), "feat/login", "main")
    assert (added / ".git").is_file()
    G.py_git_worktree_move(str(repo), str(added), str(moved))
    (moved / "README.md").write_text("local change that --force discards\n")
    G.py_git_worktree_remove(str(repo), str(moved))
    assert not moved.exists() and not added.exists()
    assert repo.git("rev-parse", "feat/login") == repo.head()

    r = str(repo)
    assert logged.argvs[:3] == [
        ["-C", r, "worktree", "add", "-b", "feat/login", str(added), "main"],
        ["-C", r, "worktree", "move", str(added), str(moved)],
        ["-C", r, "worktree", "remove", "--force", str(moved)],
    ]


def test_worktree_add_that_already_exists_succeeds(repo):
    path = repo.path.parent / "repo.feat"
    G.py_git_worktree_add(str(repo), str(path), "feat", "main")
    G.py_git_worktree_add(str(repo), str(path), "feat", "main")
    # A relative path is taken from the repository, as git takes it.
    G.py_git_worktree_add(str(repo), "../repo.feat", "feat", "main")
    assert (path / ".git").is_file()

    # A taken branch name with a new path fails with the command text.
    other = repo.path.parent / "repo.other"
    fails_with("git worktree add -b feat {} main".format(other), G.py_git_worktree_add,
               str(repo), str(other), "feat", "main")
    assert not other.exists()


def test_worktree_move_and_remove_failures(repo, tmp_path):
    missing = str(tmp_path / "missing")
    fails_with("git worktree move {} {}".format(missing, tmp_path / "x"), G.py_git_worktree_move,
               str(repo), missing, str(tmp_path / "x"))
    fails_with("git worktree remove --force " + missing, G.py_git_worktree_remove, str(repo), missing)


def test_create_branch_reports_what_was_checked_out(repo, fakes, real_git):
    head = repo.head()
    logged = fakes.program("git", wraps=real_git)
    info = G.py_git_create_branch(str(repo), "feat/x")
    assert isinstance(info, engine.PyBranchInfo)
    assert (info.old_branch, info.old_head, info.new_branch) == ("main", head, "feat/x")
    assert logged.argvs == [
        ["-C", str(repo), "rev-parse", "--abbrev-ref", "HEAD"],
        ["-C", str(repo), "rev-parse", "HEAD"],
        ["-C", str(repo), "checkout", "-b", "feat/x"],
    ]
    assert repo.branch() == "feat/x"

    repo.git("checkout", "-q", "--detach")
    info = G.py_git_create_branch(str(repo), "from-detached")
    assert (info.old_branch, info.old_head) == ("HEAD", head)

    fails_with("git checkout -b feat/x", G.py_git_create_branch, str(repo), "feat/x")


def test_delete_local_branch_even_unmerged(repo, fakes, real_git):
    repo.git("checkout", "-q", "-b", "unmerged")
    repo.commit(extra="work only here\n")
    repo.git("checkout", "-q", "main")
    logged = fakes.program("git", wraps=real_git)
    G.py_git_delete_local_branch(str(repo), "unmerged")
    assert logged.argvs == [["-C", str(repo), "branch", "-D", "unmerged"]]
    assert repo.git("branch", "--list", "unmerged") == ""
    fails_with("git branch -D unmerged", G.py_git_delete_local_branch, str(repo), "unmerged")


def test_delete_remote_branch(repo, fakes, real_git):
    repo.git("push", "-q", "origin", "main:gone")
    logged = fakes.program("git", wraps=real_git)
    G.py_git_delete_remote_branch(str(repo), "origin", "gone")
    assert logged.argvs == [["-C", str(repo), "push", "origin", "--delete", "gone"]]
    assert repo.git("ls-remote", "--heads", "origin", "gone") == ""
    fails_with("git push origin --delete gone", G.py_git_delete_remote_branch, str(repo), "origin", "gone")
    fails_with("git push nowhere --delete main", G.py_git_delete_remote_branch, str(repo), "nowhere", "main")


@pytest.mark.parametrize("name, args, command", [
    ("py_git_worktree_add", ("{p}", "-b", "main"), "git worktree add -b -b {p} main"),
    ("py_git_worktree_add", ("{p}", "b", "--detach"), "git worktree add -b b {p} --detach"),
    ("py_git_delete_local_branch", ("-f",), "git branch -D -f"),
    ("py_git_delete_remote_branch", ("--receive-pack=touch pwned", "b"),
     "git push --receive-pack=touch pwned --delete b"),
])
def test_option_like_names_never_reach_git(repo, fakes, real_git, name, args, command):
    path = str(repo.path.parent / "w")
    logged = fakes.program("git", wraps=real_git)
    fails_with(command.format(p=path), getattr(G, name), str(repo), *[a.format(p=path) for a in args])
    assert logged.calls == []
