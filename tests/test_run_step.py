"""run_step end to end: configuration, gathering, rendering and one agent run, with real
repositories and fake agents first on PATH."""
import inspect

import pytest

from varnel import engine

HEADLESS_CLAUDE = ["--model", "opus", "--print", "--dangerously-skip-permissions"]


def prompt_of(repo, **gather):
    """The prompt py_gather_context renders for the review step with these settings."""
    return engine.py_gather_context(str(repo), step="review", **gather).format()


def write_config(path, text):
    (path / ".vn").mkdir(parents=True, exist_ok=True)
    (path / ".vn" / "config.yaml").write_text(text)


def test_signature():
    assert str(inspect.signature(engine.run_step)) == (
        "(step, repo_root=None, directions=None, auto=True, clipboard=False, model=None)")
    assert engine.run_step.__doc__ is None


@pytest.mark.parametrize("config", [
    None,
    "agent_model: [unclosed\n",                             # not YAML
    "agent_model: gemini\nyolo: 1\n",                       # a wrongly typed key spoils the whole file
    "context: .\nchrome: true\n",
])
def test_without_a_usable_configuration_the_defaults_apply(fakes, repo, home, config):
    if config is not None:
        write_config(repo.path, config)
        write_config(home, config)
    claude = fakes.program("claude", stdout="reviewed\n", stderr="note\n", exit_code=3)
    result = engine.run_step("review", repo_root=str(repo))
    assert type(result) is engine.PyLaunchResult
    # A non-zero exit is the agent's answer, not a failure.
    assert (result.exit_code, result.stdout, result.stderr) == (3, "reviewed\n", "note\n")
    assert claude.argvs == [HEADLESS_CLAUDE + [prompt_of(repo, run_mode="auto")]]
    assert claude.calls[0].cwd == str(repo)


@pytest.mark.parametrize("config, program, argv, gather", [
    ("agent_model: gemini:flash\nyolo: true\nchrome: true\n", "gemini", ["-m", "flash", "--yolo"], {}),
    ("chrome: true\nyolo: true\n", "claude", ["--chrome"] + HEADLESS_CLAUDE, {}),
    ("agent_model: codex\nvndocs: false\ndiff: true\ndiff_files: false\n", "codex",
     ["exec", "-C", "{repo}", "--sandbox", "workspace-write", "--full-auto"],
     {"vndocs": False, "diff": True, "diff_files": False}),
    ("area: src\nagent_model: claude:sonnet\n", "claude",
     ["--model", "sonnet", "--print", "--dangerously-skip-permissions"], {"area": "src"}),
])
def test_configuration_chooses_agent_permissions_and_context(fakes, repo, config, program, argv, gather):
    repo.write("src/NOTES.md", "# Notes on src\n")
    repo.write("NOTES.md", "# Root notes\n")
    repo.commit("docs")
    write_config(repo.path, config)
    fake = fakes.program(program)
    engine.run_step("review", repo_root=str(repo))
    expected = [a.format(repo=repo.path) for a in argv] + [prompt_of(repo, run_mode="auto", **gather)]
    assert fake.argvs == [expected]


def test_model_argument_wins_over_the_configured_model(fakes, repo):
    write_config(repo.path, "agent_model: gemini\nyolo: true\n")
    codex = fakes.program("codex")
    gemini = fakes.program("gemini")
    engine.run_step("review", repo_root=str(repo), model="codex")
    assert gemini.calls == []
    assert codex.argvs == [["exec", "-C", str(repo), "--sandbox", "danger-full-access", "-c",
                            'approval_policy="never"', prompt_of(repo, run_mode="auto")]]


def test_interactive_run_gathers_without_run_mode_and_captures_nothing(fakes, repo):
    claude = fakes.program("claude", stdout="on the terminal\n", exit_code=5)
    result = engine.run_step("review", repo_root=str(repo), auto=False)
    assert (result.exit_code, result.stdout, result.stderr) == (5, "", "")
    assert claude.argvs == [["--model", "opus", prompt_of(repo)]]
    assert prompt_of(repo) != prompt_of(repo, run_mode="auto")


def test_directions_come_from_the_call_never_from_configuration(fakes, repo):
    repo.write(".vn/directions/careful.md", "Check every edge case twice.\n")
    write_config(repo.path, "direction: [careful]\n")
    claude = fakes.program("claude")
    engine.run_step("review", repo_root=str(repo))
    engine.run_step("review", repo_root=str(repo), directions=("careful",))
    without, with_direction = (argv[-1] for argv in claude.argvs)
    assert without == prompt_of(repo, run_mode="auto")
    assert with_direction == prompt_of(repo, run_mode="auto", directions=["careful"])
    assert "Check every edge case twice." in with_direction and "Check every edge case" not in without


def test_clipboard_comes_from_the_call_never_from_paste(fakes, repo):
    write_config(repo.path, "paste: true\n")
    xclip = fakes.program("xclip", stdout="pasted text\n")
    claude = fakes.program("claude")
    engine.run_step("review", repo_root=str(repo))
    assert xclip.calls == []
    engine.run_step("review", repo_root=str(repo), clipboard=True)
    assert claude.argvs[1][-1] == prompt_of(repo, run_mode="auto", clipboard=True)
    assert "pasted text" in claude.argvs[1][-1]


def test_repository_root_defaults_to_the_current_directory(fakes, repo, monkeypatch):
    write_config(repo.path, "agent_model: gemini\n")
    monkeypatch.chdir(repo.path)
    gemini = fakes.program("gemini")
    engine.run_step("review")
    assert gemini.calls[0].cwd == str(repo)
    assert gemini.argvs == [["-m", "2.5-pro", prompt_of(repo, run_mode="auto")]]


def test_unknown_step_raises_and_starts_no_agent(fakes, repo):
    claude = fakes.program("claude")
    with pytest.raises(RuntimeError) as caught:
        engine.run_step("no-such-step", repo_root=str(repo))
    assert caught.value.args == ("step not found: no-such-step",)
    assert claude.calls == []


def test_missing_agent_raises_the_io_error(fakes, repo):
    with pytest.raises(RuntimeError, match="^io error: No such file or directory$"):
        engine.run_step("review", repo_root=str(repo))  # no claude anywhere on PATH


@pytest.mark.parametrize("kwargs, message", [
    ({"directions": "careful"}, "argument 'directions': Can't extract `str` to `Vec`"),
    ({"directions": ["careful", 1]}, "argument 'directions': "),
    ({"auto": 1}, "argument 'auto': "),
    ({"auto": None}, "argument 'auto': "),
    ({"model": 3}, "argument 'model': "),
])
def test_argument_errors_start_nothing(fakes, repo, kwargs, message):
    claude = fakes.program("claude")
    with pytest.raises(TypeError) as caught:
        engine.run_step("review", repo_root=str(repo), **kwargs)
    assert str(caught.value).startswith(message)
    assert claude.calls == []
