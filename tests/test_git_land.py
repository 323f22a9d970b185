"""Land, rebase, push and sync through engine.git, with real git and a bare origin."""
import pytest

from support.repos import Repo, git
from varnel import engine

G = engine.git


def fails_with(command, function, *args):
    with pytest.raises(RuntimeError) as caught:
        function(*args)
    assert caught.value.args == ("git command failed: " + command,)


@pytest.fixture
def feature(repo):
    """A worktree beside the main checkout on branch `feat`, one commit ahead of main."""
    path = repo.path.parent / "repo.feat"
    repo.git("worktree", "add", "-q", "-b", "feat", str(path), "main")
    worktree = Repo(path, repo.origin)
    worktree.commit("feature work", **{"feature.txt": "feature\n"})
    return worktree


@pytest.fixture
def landing(repo):
    """The main checkout on branch `feat`, one commit ahead of main (a worktree could not
    check out main while the main checkout has it)."""
    repo.git("checkout", "-q", "-b", "feat")
    repo.commit("feature work", **{"feature.txt": "feature\n"})
    return repo


@pytest.fixture
def other_clone(repo, tmp_path):
    """Another clone of origin, to move the remote main branch."""
    path = tmp_path / "other"
    git(tmp_path, "clone", "-q", str(repo.origin), str(path))
    return Repo(path, repo.origin)


@pytest.mark.parametrize("strategy, message, parents, deleted", [
    ("squash", "Squash merge feat", 1, False),
    ("squash_merge", "Squash merge feat", 1, False),
    ("local", "Merge feat", 2, True),
    ("local_merge", "Merge feat", 2, True),
])
def test_land(landing, fakes, real_git, strategy, message, parents, deleted):
    feature = landing
    branch_head = feature.head()
    logged = fakes.program("git", wraps=real_git)
    result = G.py_git_land(str(feature), strategy)
    calls = logged.argvs
    assert isinstance(result, engine.PyLandResult)
    assert result.branch_deleted is deleted
    assert result.merged_commit == feature.git("rev-parse", "main") != branch_head
    assert feature.branch() == "main"
    assert feature.git("log", "-1", "--format=%s") == message
    assert len(feature.git("log", "-1", "--format=%P").split()) == parents
    assert (feature.path / "feature.txt").read_text() == "feature\n"
    assert (feature.git("branch", "--list", "feat") == "") is deleted

    w = str(feature)
    merge = ([["-C", w, "merge", "--no-ff", "feat", "-m", "Merge feat"]] if parents == 2 else
             [["-C", w, "merge", "--squash", "feat"], ["-C", w, "commit", "-m", "Squash merge feat"]])
    assert calls == [
        ["-C", w, "rev-parse", "--abbrev-ref", "HEAD"],
        ["-C", w, "checkout", "main"],
        *merge,
        ["-C", w, "rev-parse", "HEAD"],
        ["-C", w, "branch", "-d", "feat"],
    ]


def test_land_onto_another_main_branch(repo, feature):
    repo.git("branch", "trunk", "main")
    result = G.py_git_land(str(feature), "local", main_branch="trunk")
    assert feature.branch() == "trunk"
    assert result.merged_commit == feature.git("rev-parse", "trunk")
    assert feature.git("rev-parse", "main") == repo.git("rev-parse", "origin/main")


def test_squash_landing_with_nothing_new_fails_at_the_commit(landing):
    landing.git("checkout", "-q", "main")
    landing.git("merge", "-q", "--squash", "feat")
    landing.git("commit", "-q", "-m", "same work on main")
    landing.git("checkout", "-q", "feat")
    fails_with("git commit -m Squash merge feat", G.py_git_land, str(landing), "squash")
    assert landing.branch() == "main"


@pytest.mark.parametrize("strategy", ["Squash", "LOCAL", "merge", "", "squash "])
def test_unknown_strategy_runs_nothing(feature, fakes, real_git, strategy):
    logged = fakes.program("git", wraps=real_git)
    with pytest.raises(RuntimeError) as caught:
        G.py_git_land(str(feature), strategy)
    assert caught.value.args == ("Invalid land strategy",)
    assert logged.calls == []


def test_land_refuses_a_detached_head(feature, fakes, real_git):
    feature.git("checkout", "-q", "--detach")
    detached = feature.head()
    logged = fakes.program("git", wraps=real_git)
    fails_with("git rev-parse --abbrev-ref HEAD", G.py_git_land, str(feature), "local")
    assert logged.argvs == [["-C", str(feature), "rev-parse", "--abbrev-ref", "HEAD"]]
    assert feature.head() == detached


def test_rebase_onto_a_moved_main(repo, feature, fakes, real_git):
    main_head = repo.commit("main moves", **{"main.txt": "main\n"})
    logged = fakes.program("git", wraps=real_git)
    result = G.py_git_rebase(str(feature), "main")
    assert isinstance(result, engine.PyRebaseResult)
    assert (result.success, result.conflicts) == (True, None)
    assert logged.argvs == [
        ["-C", str(feature), "rebase", "main"],
        ["-C", str(feature), "rev-parse", "HEAD"],
    ]
    assert result.new_head == feature.head()
    assert feature.git("rev-parse", "HEAD~1") == main_head


def test_rebase_with_conflicts_aborts_and_lists_paths(repo, feature, fakes, real_git):
    feature.commit("feature edits", **{"b.txt": "feature b\n", "a file.txt": "feature a\n"})
    repo.commit("main edits", **{"b.txt": "main b\n", "a file.txt": "main a\n"})
    before = feature.head()
    logged = fakes.program("git", wraps=real_git)
    result = G.py_git_rebase(str(feature), "main")
    calls = logged.argvs
    assert (result.success, result.conflicts, result.new_head) == (False, ["a file.txt", "b.txt"], None)
    assert calls == [
        ["-C", str(feature), "rebase", "main"],
        ["-C", str(feature), "diff", "--name-only", "--diff-filter=U"],
        ["-C", str(feature), "rebase", "--abort"],
    ]
    assert feature.head() == before and feature.branch() == "feat"
    assert feature.git("status", "--porcelain") == ""
    assert not (feature.path / feature.git("rev-parse", "--git-path", "rebase-merge")).exists()


def test_rebase_onto_with_base_commit(repo, feature):
    base = feature.head()
    feature.commit("second", **{"second.txt": "2\n"})
    feature.commit("third", **{"third.txt": "3\n"})
    repo.commit("main moves", **{"main.txt": "main\n"})
    result = G.py_git_rebase(str(feature), "main", base_commit=base)
    assert result.success
    # Only the commits after `base` were replayed: feature.txt's commit is gone.
    subjects = feature.git("log", "--format=%s", "main..HEAD").splitlines()
    assert subjects == ["third", "second"]
    assert not (feature.path / "feature.txt").exists()


def test_rebase_argument_order_with_base_commit(feature, fakes):
    git = fakes.program("git", exit_code=1)
    git.respond(exit_code=1).respond(exit_code=0).respond(exit_code=0)
    result = G.py_git_rebase(str(feature), "origin/main", "abc123")
    assert (result.success, result.conflicts, result.new_head) == (False, None, None)
    assert git.argvs[0] == ["-C", str(feature), "rebase", "--onto", "origin/main", "abc123"]


def test_rebase_that_cannot_start_is_a_failed_outcome(feature):
    (feature.path / "feature.txt").write_text("uncommitted\n")
    before = feature.head()
    result = G.py_git_rebase(str(feature), "main")
    assert (result.success, result.conflicts, result.new_head) == (False, None, None)
    assert (feature.path / "feature.txt").read_text() == "uncommitted\n"
    assert feature.head() == before
    result = G.py_git_rebase(str(feature), "no-such-ref")
    assert (result.success, result.conflicts) == (False, None)


@pytest.mark.parametrize("lease, argv", [(False, ["push"]), (True, ["push", "--force-with-lease"])])
def test_push(feature, fakes, real_git, lease, argv):
    feature.git("push", "-q", "-u", "origin", "feat")
    feature.git("commit", "-q", "--amend", "-m", "rewritten")
    logged = fakes.program("git", wraps=real_git)
    if lease:
        G.py_git_push(str(feature), force_with_lease=True)
        assert feature.git("rev-parse", "origin/feat") == feature.head()
    else:
        fails_with("git push", G.py_git_push, str(feature))  # rejected: not a fast-forward
    assert logged.argvs[0] == ["-C", str(feature), *argv]


def test_push_with_upstream(feature, fakes, real_git):
    logged = fakes.program("git", wraps=real_git)
    G.py_git_push_with_upstream(str(feature), "origin", "feat")
    assert logged.argvs == [["-C", str(feature), "push", "-u", "origin", "feat"]]
    assert feature.git("rev-parse", "--abbrev-ref", "@{upstream}") == "origin/feat"
    fails_with("git push -u nowhere feat", G.py_git_push_with_upstream, str(feature), "nowhere", "feat")


def test_sync_on_a_feature_branch_only_fetches(repo, feature, other_clone, fakes, real_git):
    pushed = other_clone.commit("remote moves", **{"remote.txt": "r\n"})
    other_clone.git("push", "-q", "origin", "main")
    before = feature.head()
    logged = fakes.program("git", wraps=real_git)
    assert G.py_git_sync_main(str(feature)) is True
    assert logged.argvs == [
        ["-C", str(feature), "fetch", "origin", "main"],
        ["-C", str(feature), "symbolic-ref", "--short", "HEAD"],
    ]
    assert feature.git("rev-parse", "origin/main") == pushed
    assert feature.head() == before and repo.head() != pushed


def test_sync_on_a_clean_main_resets_to_origin(repo, other_clone, fakes, real_git):
    pushed = other_clone.commit("remote moves", **{"remote.txt": "r\n"})
    other_clone.git("push", "-q", "origin", "main")
    logged = fakes.program("git", wraps=real_git)
    assert G.py_git_sync_main(str(repo), "main") is True
    r = str(repo)
    assert logged.argvs == [
        ["-C", r, "fetch", "origin", "main"],
        ["-C", r, "symbolic-ref", "--short", "HEAD"],
        ["-C", r, "status", "--porcelain"],
        ["-C", r, "reset", "--hard", "origin/main"],
    ]
    assert repo.head() == pushed
    assert (repo.path / "remote.txt").exists()


def test_sync_on_a_dirty_main_touches_nothing(repo, other_clone):
    other_clone.commit("remote moves", **{"remote.txt": "r\n"})
    other_clone.git("push", "-q", "origin", "main")
    before = repo.head()
    repo.write("scratch.txt", "untracked work\n")
    assert G.py_git_sync_main(str(repo)) is False
    assert repo.head() == before
    assert (repo.path / "scratch.txt").read_text() == "untracked work\n"


def test_sync_fetch_failure(repo):
    fails_with("git fetch origin no-such-branch", G.py_git_sync_main, str(repo), "no-such-branch")


@pytest.mark.parametrize("name, args, command", [
    ("py_git_rebase", ("--exec=touch pwned",), "git rebase --exec=touch pwned"),
    ("py_git_rebase", ("main", "--exec=touch pwned"), "git rebase --onto main --exec=touch pwned"),
    ("py_git_push_with_upstream", ("--receive-pack=touch pwned", "feat"),
     "git push -u --receive-pack=touch pwned feat"),
    ("py_git_sync_main", ("--upload-pack=touch pwned",), "git fetch origin --upload-pack=touch pwned"),
    ("py_git_land", ("local", "--orphan"), "git checkout --orphan"),
])
def test_option_like_names_never_reach_git(feature, fakes, real_git, name, args, command):
    logged = fakes.program("git", wraps=real_git)
    fails_with(command, getattr(G, name), str(feature), *args)
    assert logged.calls == []
    assert not (feature.path / "pwned").exists()
