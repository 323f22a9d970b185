import os
import pathlib
import shutil
import sys

import pytest

sys.path.insert(0, str(pathlib.Path(__file__).parent))

from support.fakes import Fakes  # noqa: E402
from support.repos import make_repo  # noqa: E402

_GITCONFIG = """[user]
\tname = Varnel Test
\temail = test@varnel.invalid
[init]
\tdefaultBranch = main
[advice]
\tdetachedHead = false
[commit]
\tgpgsign = false
"""


@pytest.fixture(autouse=True)
def home(tmp_path, monkeypatch):
    """Every test gets an empty home directory of its own (no stray user configuration)
    with a git identity, and no system git configuration."""
    home = tmp_path / "home"
    home.mkdir()
    (home / ".gitconfig").write_text(_GITCONFIG)
    monkeypatch.setenv("HOME", str(home))
    monkeypatch.setenv("GIT_CONFIG_NOSYSTEM", "1")
    monkeypatch.setenv("VARNEL_REAL_PATH", os.environ.get("PATH", os.defpath))
    for name in ("GIT_DIR", "GIT_WORK_TREE", "GIT_INDEX_FILE", "GEMINI_SYSTEM_MD"):
        monkeypatch.delenv(name, raising=False)
    return home


@pytest.fixture
def fakes(tmp_path, monkeypatch):
    """Fake programs first on PATH; see support/fakes.py."""
    kit = Fakes(tmp_path / "fakes")
    monkeypatch.setenv("PATH", str(kit.bin) + os.pathsep + os.environ.get("PATH", ""))
    return kit


@pytest.fixture
def only_fakes_on_path(fakes, monkeypatch):
    """PATH holds the fakes directory alone: every other program (git included) is missing."""
    monkeypatch.setenv("PATH", str(fakes.bin))
    return fakes


@pytest.fixture
def repo(tmp_path):
    """A repository on main with one commit, a bare origin and origin/HEAD recorded."""
    return make_repo(tmp_path)


@pytest.fixture
def new_repo(tmp_path):
    """A factory: new_repo(name="other", origin=True, files={...})."""
    return lambda **kwargs: make_repo(tmp_path, **kwargs)


@pytest.fixture(scope="session")
def real_git():
    path = shutil.which("git")
    assert path, "git must be installed for the tests"
    return path
