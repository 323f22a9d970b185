"""The module tree: submodules, member order in __all__, and what cannot be imported."""
import ctypes
import importlib

import pytest

import varnel

# Every member each module will hold, in registration order. Members whose logic is
# not built yet are simply absent; those present must keep this order.
ENGINE = [
    "PyLaunchResult", "PyPromptComponents", "PyRebaseResult", "PyBranchInfo", "PyLandResult",
    "py_count_tokens", "py_parse_model", "py_gather_context", "py_launch_agent", "run_step",
    "git",
]
GIT = [
    "py_git_rebase", "py_git_push", "py_git_push_with_upstream", "py_git_create_branch",
    "py_git_land", "py_git_get_default_branch", "py_git_is_clean", "py_git_stage_all",
    "py_git_commit", "py_git_delete_remote_branch", "py_git_delete_local_branch",
    "py_git_pr_exists", "py_git_pr_create_draft", "py_git_pr_merge_squash_auto",
    "py_git_sync_main", "py_git_worktree_remove", "py_git_worktree_move",
    "py_git_worktree_add", "py_git_rev_parse",
]
OPS = [
    "PyPrResult", "PyLandResult", "PyNextResult", "PyRebaseResult",
    "py_commit_workflow", "py_create_or_update_pr", "py_land", "py_next_branch",
    "py_rebase_with_recovery", "py_abandon_branch",
]
# Registered already; these must be there.
PRESENT = {
    "engine": {"PyLaunchResult", "PyRebaseResult", "PyBranchInfo", "PyLandResult",
               "py_count_tokens", "py_parse_model", "py_launch_agent", "run_step", "git"},
    "engine.git": set(GIT),
    "ops": {"PyPrResult", "PyLandResult", "PyNextResult", "PyRebaseResult"},
}


def test_top_module_holds_engine_then_ops():
    assert varnel.__all__ == ["engine", "ops"]
    assert varnel.__doc__ == ""
    assert [varnel.engine.__name__, varnel.engine.git.__name__, varnel.ops.__name__] == ["engine", "git", "ops"]


@pytest.mark.parametrize("path, order", [("engine", ENGINE), ("engine.git", GIT), ("ops", OPS)])
def test_members_follow_registration_order(path, order):
    module = varnel
    for part in path.split("."):
        module = getattr(module, part)
    members = getattr(module, "__all__", [])
    assert members == [name for name in order if name in members], "unknown member or wrong order"
    assert PRESENT.get(path, set()) <= set(members)
    public = {name for name in vars(module) if not name.startswith("_")}
    assert public == set(members)


@pytest.mark.parametrize("name", ["varnel.engine", "varnel.engine.git", "varnel.ops"])
def test_submodules_are_attributes_not_importable(name):
    with pytest.raises(ImportError):
        importlib.import_module(name)


@pytest.mark.skipif(not hasattr(ctypes, "PyDLL"), reason="calls the entry through ctypes.PyDLL (CPython only)")
def test_second_initialisation_returns_the_first_module():
    init = ctypes.PyDLL(varnel.__file__).PyInit_varnel
    init.restype = ctypes.py_object
    assert init() is varnel
