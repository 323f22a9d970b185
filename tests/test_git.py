"""engine.git from Python: signatures, the repository queries, gh, and how failures read."""
import inspect

import pytest

from varnel import engine

G = engine.git

SIGNATURES = [
    ("py_git_rebase", "(worktree, onto, base_commit=None)"),
    ("py_git_push", "(worktree, force_with_lease=False)"),
    ("py_git_push_with_upstream", "(worktree, remote, branch)"),
    ("py_git_create_branch", "(worktree, name)"),
    ("py_git_land", "(worktree, strategy, main_branch='main')"),
    ("py_git_get_default_branch", "(repo)"),
    ("py_git_is_clean", "(repo)"),
    ("py_git_stage_all", "(repo)"),
    ("py_git_commit", "(repo, message)"),
    ("py_git_delete_remote_branch", "(repo, remote, branch)"),
    ("py_git_delete_local_branch", "(repo, branch)"),
    ("py_git_pr_exists", "(repo)"),
    ("py_git_pr_create_draft", "(repo)"),
    ("py_git_pr_merge_squash_auto", "(repo)"),
    ("py_git_sync_main", "(repo, main_branch='main')"),
    ("py_git_worktree_remove", "(repo, path)"),
    ("py_git_worktree_move", "(repo, old_path, new_path)"),
    ("py_git_worktree_add", "(repo, path, branch, start_point)"),
    ("py_git_rev_parse", "(repo, refspec)"),
]


def test_functions_in_order_with_their_signatures():
    assert G.__all__ == [name for name, _ in SIGNATURES]
    for name, signature in SIGNATURES:
        function = getattr(G, name)
        assert str(inspect.signature(function)) == signature, name
        assert function.__doc__ is None
        assert function.__module__ == "git"


def test_defaulted_text_and_keywords(repo):
    with pytest.raises(TypeError, match="^argument 'main_branch': "):
        G.py_git_sync_main(str(repo), main_branch=None)
    with pytest.raises(TypeError, match="^argument 'base_commit': "):
        G.py_git_rebase(str(repo), "main", base_commit=1)
    with pytest.raises(TypeError):
        G.py_git_commit(str(repo), repo=str(repo), message="m")
    repo.write("a.txt", "a")
    G.py_git_stage_all(repo=str(repo))
    G.py_git_commit(message="by keyword", repo=str(repo))
    assert repo.git("log", "-1", "--format=%s") == "by keyword"


# Every function, called with arguments that would otherwise work, while git and gh are
# missing from PATH.
CALLS = [
    ("py_git_rebase", ("{r}", "main")),
    ("py_git_push", ("{r}",)),
    ("py_git_push_with_upstream", ("{r}", "origin", "main")),
    ("py_git_create_branch", ("{r}", "b")),
    ("py_git_land", ("{r}", "squash")),
    ("py_git_get_default_branch", ("{r}",)),
    ("py_git_is_clean", ("{r}",)),
    ("py_git_stage_all", ("{r}",)),
    ("py_git_commit", ("{r}", "m")),
    ("py_git_delete_remote_branch", ("{r}", "origin", "b")),
    ("py_git_delete_local_branch", ("{r}", "b")),
    ("py_git_pr_exists", ("{r}",)),
    ("py_git_pr_create_draft", ("{r}",)),
    ("py_git_pr_merge_squash_auto", ("{r}",)),
    ("py_git_sync_main", ("{r}",)),
    ("py_git_worktree_remove", ("{r}", "{r}.w")),
    ("py_git_worktree_move", ("{r}", "{r}.w", "{r}.v")),
    ("py_git_worktree_add", ("{r}", "{r}.w", "b", "main")),
    ("py_git_rev_parse", ("{r}", "HEAD")),
]


@pytest.mark.parametrize("name, args", CALLS, ids=[name for name, _ in CALLS])
def test_missing_programs_are_io_errors(repo, only_fakes_on_path, name, args):
    with pytest.raises(RuntimeError) as caught:
        getattr(G, name)(*[a.format(r=repo) for a in args])
    assert caught.value.args == ("io error: No such file or directory",)


@pytest.mark.parametrize("change, clean", [
    (None, True),
    (("new.txt", "untracked"), False),
    (("README.md", "modified\n"), False),
])
def test_is_clean(repo, change, clean):
    if change:
        repo.write(*change)
    assert G.py_git_is_clean(str(repo)) is clean


@pytest.mark.parametrize("name, args, command", [
    ("py_git_is_clean", (), "git status --porcelain"),
    ("py_git_rev_parse", ("HEAD",), "git rev-parse HEAD"),
    ("py_git_stage_all", (), "git add -A"),
    ("py_git_create_branch", ("b",), "git rev-parse --abbrev-ref HEAD"),
    ("py_git_worktree_add", ("{t}/w", "b", "main"), "git worktree add -b b {t}/w main"),
])
def test_outside_a_repository_the_command_fails(tmp_path, name, args, command):
    plain = tmp_path / "plain"
    plain.mkdir()
    with pytest.raises(RuntimeError) as caught:
        getattr(G, name)(str(plain), *[a.format(t=tmp_path) for a in args])
    assert caught.value.args == ("git command failed: " + command.format(t=tmp_path),)


def test_rev_parse(repo):
    assert G.py_git_rev_parse(str(repo), "HEAD") == repo.head()
    assert G.py_git_rev_parse(str(repo), "origin/main") == repo.head()
    with pytest.raises(RuntimeError) as caught:
        G.py_git_rev_parse(str(repo), "no such branch")
    assert caught.value.args == ("git command failed: git rev-parse no such branch",)


def test_default_branch(repo, new_repo, fakes, real_git):
    logged = fakes.program("git", wraps=real_git)
    assert G.py_git_get_default_branch(str(repo)) == "main"
    assert logged.argvs == [["-C", str(repo), "symbolic-ref", "--quiet", "--short", "refs/remotes/origin/HEAD"]]
    fakes.remove("git")
    repo.git("push", "-q", "origin", "HEAD:refs/heads/develop")
    repo.git("remote", "set-head", "origin", "develop")
    assert G.py_git_get_default_branch(str(repo)) == "develop"
    alone = new_repo(name="alone", origin=False)
    alone.git("checkout", "-q", "-b", "trunk")
    assert G.py_git_get_default_branch(str(alone)) == "main"


def test_stage_and_commit_run_exactly_their_commands(repo, fakes, real_git):
    repo.write("a b.txt", "a")
    logged = fakes.program("git", wraps=real_git)
    message = "-m it's \"quoted\"; $(touch pwned) über\nsecond line"
    G.py_git_stage_all(str(repo))
    G.py_git_commit(str(repo), message)
    assert logged.argvs == [
        ["-C", str(repo), "add", "-A"],
        ["-C", str(repo), "commit", "-m", message],
    ]
    assert repo.git("log", "-1", "--format=%B") == message
    assert not (repo.path / "pwned").exists()
    with pytest.raises(RuntimeError) as caught:
        G.py_git_commit(str(repo), "nothing")
    assert caught.value.args == ("git command failed: git commit -m nothing",)


def test_paths_and_names_reach_git_as_single_arguments(tmp_path, new_repo, fakes, real_git):
    odd = new_repo(name="it's a \"repo\" ü -x")
    logged = fakes.program("git", wraps=real_git)
    with pytest.raises(RuntimeError) as caught:
        G.py_git_rev_parse(str(odd), "y'z -x ü")
    assert caught.value.args == ("git command failed: git rev-parse y'z -x ü",)
    assert G.py_git_is_clean(str(odd)) is True
    assert logged.argvs == [
        ["-C", str(odd), "rev-parse", "y'z -x ü"],
        ["-C", str(odd), "status", "--porcelain"],
    ]


def test_pull_request_queries_run_gh_in_the_repository(repo, fakes):
    gh = fakes.program("gh")
    gh.respond(stdout="MERGED").respond(stdout=" \n")
    gh.respond(stdout="OPEN\n", stderr="no pull requests found", exit_code=1)
    assert [G.py_git_pr_exists(str(repo)) for _ in range(3)] == [True, False, False]
    assert {tuple(c.argv) for c in gh.calls} == {("pr", "view", "--json", "state", "-q", ".state")}
    assert {c.cwd for c in gh.calls} == {str(repo)}


def test_draft_and_auto_merge(repo, fakes):
    gh = fakes.program("gh", stdout="\nhttps://github.test/o/r/pull/9 \n")
    assert G.py_git_pr_create_draft(str(repo)) == "https://github.test/o/r/pull/9"
    assert G.py_git_pr_merge_squash_auto(str(repo)) is None
    assert gh.argvs == [["pr", "create", "--draft", "--fill"], ["pr", "merge", "--squash", "--auto"]]
    assert [c.cwd for c in gh.calls] == [str(repo)] * 2

    gh = fakes.program("gh", stderr="not authenticated", exit_code=4)
    for function, command in ((G.py_git_pr_create_draft, "gh pr create --draft --fill"),
                              (G.py_git_pr_merge_squash_auto, "gh pr merge --squash --auto")):
        with pytest.raises(RuntimeError) as caught:
            function(str(repo))
        assert caught.value.args == ("git command failed: " + command,)


def test_gh_in_a_missing_directory_is_an_io_error(tmp_path, fakes):
    fakes.program("gh", stdout="OPEN\n")
    with pytest.raises(RuntimeError) as caught:
        G.py_git_pr_exists(str(tmp_path / "gone"))
    assert caught.value.args == ("io error: No such file or directory",)
