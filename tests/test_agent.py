"""Running agent programs through py_launch_agent, with fake agents first on PATH."""
import inspect
import itertools
import os

import pytest

from support.fds import output_discarded
from varnel import engine

FLAGS = ("auto", "stream", "skip_permissions", "chrome")


def expected_argv(agent, auto, stream, skip_permissions, chrome, variant, cwd):
    """The argument vector each agent takes, written out from its command-line rules."""
    if agent == "codex":
        argv = ["exec"] if auto else []
        if variant is not None:
            argv += ["-c", 'model="{}"'.format(variant)]
        if cwd is not None:
            argv += ["-C", cwd]
        if stream:
            argv += ["--json"]
        if skip_permissions:
            argv += ["--sandbox", "danger-full-access", "-c", 'approval_policy="never"']
        else:
            argv += ["--sandbox", "workspace-write"] + (["--full-auto"] if auto else [])
        return argv
    if agent == "gemini":
        return (["-m", variant] if variant is not None else []) + (
            ["--output-format", "stream-json"] if stream else []) + (["--yolo"] if skip_permissions else [])
    argv = ["--chrome"] if chrome else []
    if variant is not None:
        argv += ["--model", variant]
    if auto:
        argv += ["--print", "--dangerously-skip-permissions"]
        if stream:
            argv += ["--output-format", "stream-json", "--verbose"]
    elif skip_permissions:
        argv += ["--dangerously-skip-permissions"]
    return argv


def test_signature():
    assert str(inspect.signature(engine.py_launch_agent)) == (
        "(model, prompt, auto=True, stream=False, skip_permissions=False, model_variant=None, chrome=False, cwd=None)")
    assert engine.py_launch_agent.__doc__ is None


@pytest.mark.parametrize("model, program", [("claude", "claude"), ("codex", "codex"), ("gemini", "gemini"),
                                            ("foo", "claude"), ("Codex", "claude")])
def test_every_flag_combination_builds_the_agents_argv(fakes, tmp_path, model, program):
    fake = fakes.program(program, env=("GEMINI_SYSTEM_MD",))
    agent = program if model in ("claude", "codex", "gemini") else "claude"
    # The model text carries no variant (except claude's and gemini's defaults), so the
    # variant comes from `model_variant` when given.
    default_variant = {"claude": "opus", "gemini": "2.5-pro"}.get(model)
    expected = []
    for bits in itertools.product((False, True), repeat=len(FLAGS)):
        flags = dict(zip(FLAGS, bits))
        for variant, cwd in ((None, None), ("v1", str(tmp_path))):
            result = engine.py_launch_agent(model, "the prompt", model_variant=variant, cwd=cwd, **flags)
            assert result.exit_code == 0
            expected.append(expected_argv(agent, *bits, variant or default_variant, cwd) + ["the prompt"])
    assert fake.argvs == expected
    assert all("GEMINI_SYSTEM_MD" not in call.env for call in fake.calls)


@pytest.mark.parametrize("model, model_variant, used", [
    ("claude:sonnet", None, "sonnet"),
    ("claude:sonnet", "haiku", "haiku"),
    ("claude:", None, ""),
    ("codex", None, None),
    ("codex:o3", None, "o3"),
    ("codex:o3", "gpt-5", "gpt-5"),
    ("gemini:flash", None, "flash"),
])
def test_model_variant_comes_from_the_option_else_the_specification(fakes, model, model_variant, used):
    program = model.split(":")[0]
    fake = fakes.program(program)
    engine.py_launch_agent(model, "", auto=False, model_variant=model_variant)
    assert fake.argvs == [expected_argv(program, False, False, False, False, used, None)]


def test_defaults_make_a_captured_headless_run(fakes):
    fake = fakes.program("claude", stdout="done\n", stderr="note\n")
    result = engine.py_launch_agent("claude", "fix it")
    assert type(result) is engine.PyLaunchResult
    assert (result.exit_code, result.stdout, result.stderr) == (0, "done\n", "note\n")
    assert fake.argvs == [["--model", "opus", "--print", "--dangerously-skip-permissions", "fix it"]]


@pytest.mark.parametrize("prompt", ["", "-", "--print", "-x\nsecond line\n", "  spaced  ", "naïve 日本語 🙂", "a'b\"c$d`e"])
@pytest.mark.parametrize("auto, stream", [(False, False), (True, False), (True, True)])
def test_prompt_is_one_final_argument_only_when_non_empty(fakes, prompt, auto, stream):
    fake = fakes.program("gemini")
    engine.py_launch_agent("gemini", prompt, auto=auto, stream=stream)
    base = expected_argv("gemini", auto, stream, False, False, "2.5-pro", None)
    assert fake.argvs == [base + ([prompt] if prompt else [])]


def test_agent_runs_in_the_given_directory_else_the_current_one(fakes, tmp_path, monkeypatch):
    fake = fakes.program("claude")
    work = tmp_path / "work dir"
    work.mkdir()
    monkeypatch.chdir(tmp_path)
    for auto, stream in ((False, False), (True, False), (True, True)):
        engine.py_launch_agent("claude", "", auto=auto, stream=stream, cwd=str(work))
        engine.py_launch_agent("claude", "", auto=auto, stream=stream)
    assert [c.cwd for c in fake.calls] == [str(work), str(tmp_path)] * 3


@pytest.mark.parametrize("auto, stream", [(False, False), (True, False), (True, True)], ids=["interactive", "batch", "stream"])
@pytest.mark.parametrize("script, exit_code", [("exit 0", 0), ("exit 7", 7), ("exit 255", 255), ("kill -KILL $$", 1),
                                               ("kill -TERM $$", 1)])
def test_exit_code_and_signals(fakes, auto, stream, script, exit_code):
    fakes.program("codex", stdout="out\n", stderr="err\n", script=script)
    result = engine.py_launch_agent("codex", "p", auto=auto, stream=stream)
    assert result.exit_code == exit_code
    if auto:
        assert (result.stdout, result.stderr) == ("out\n", "err\n")
    else:
        # The agent owned the terminal: nothing was captured.
        assert (result.stdout, result.stderr) == ("", "")


@pytest.mark.parametrize("auto, stream", [(False, False), (True, False), (True, True)])
def test_missing_agent_is_an_io_error(only_fakes_on_path, auto, stream):
    with pytest.raises(RuntimeError) as caught:
        engine.py_launch_agent("claude", "p", auto=auto, stream=stream)
    assert caught.value.args == ("io error: No such file or directory",)


def test_missing_working_directory_is_an_io_error(fakes, tmp_path):
    fakes.program("claude")
    with pytest.raises(RuntimeError, match="^io error: No such file or directory$"):
        engine.py_launch_agent("claude", "p", cwd=str(tmp_path / "gone"))


def test_batch_run_replaces_invalid_utf8(fakes):
    fakes.program("claude", stdout=b"ok \xff\xfe end\n", stderr=b"\xc3(")
    result = engine.py_launch_agent("claude", "p")
    assert (result.stdout, result.stderr) == ("ok \ufffd\ufffd end\n", "\ufffd(")


def test_streaming_keeps_reading_after_a_line_that_is_not_utf8(fakes, capfd):
    # After the bad line the agent writes far more than a pipe holds: a reader that stopped
    # there would close the pipe and the agent would die of SIGPIPE.
    fakes.program("claude", stdout=b"one\r\n\xffbad\n", stderr=b"e\xfe\n",
                  script="i=0; while [ $i -lt 2000 ]; do echo \"line $i of a long tail after the bad one\"; "
                         "i=$((i+1)); done; printf last")
    result = engine.py_launch_agent("claude", "p", stream=True)
    tail = "".join("line {} of a long tail after the bad one\n".format(i) for i in range(2000))
    assert result.exit_code == 0
    assert result.stdout == "one\n\ufffdbad\n" + tail + "last\n"
    assert result.stderr == "e\ufffd\n"
    shown = capfd.readouterr()
    assert (shown.out, shown.err) == (result.stdout, result.stderr)


def test_streaming_echoes_lines_unchanged_with_raw_rendering(fakes, capfd):
    event = '{"type":"assistant","message":{"content":[{"type":"text","text":"hi"}]}}'
    fakes.program("claude", stdout=event + "\n", stderr='{"type":"result"}\n')
    result = engine.py_launch_agent("claude", "p", stream=True)
    shown = capfd.readouterr()
    assert (shown.out, shown.err) == (event + "\n", '{"type":"result"}\n')
    assert (result.stdout, result.stderr) == (shown.out, shown.err)


@pytest.mark.parametrize("stream", [False, True], ids=["batch", "stream"])
def test_50_mb_on_both_streams_at_once_is_captured_whole(fakes, stream):
    lines = 524288  # 100 bytes each: 50 MiB per stream
    fakes.program("claude", script="yes {} | head -n {} & yes {} | head -n {} >&2; wait".format(
        "o" * 99, lines, "e" * 99, lines))
    with output_discarded():
        result = engine.py_launch_agent("claude", "p", stream=stream)
    assert result.exit_code == 0
    for text, char in ((result.stdout, "o"), (result.stderr, "e")):
        assert len(text) == 100 * lines
        assert text.count("\n") == lines and text.count(char) == 99 * lines


def test_no_descriptor_or_thread_outlives_a_call(fakes, only_fakes_on_path):
    fakes.program("claude", stdout="x\n", stderr="y\n")

    def snapshot():
        return sorted(os.listdir("/proc/self/fd")), sorted(os.listdir("/proc/self/task"))

    engine.py_launch_agent("claude", "warm-up")
    before = snapshot()
    with output_discarded():
        for auto, stream in ((False, False), (True, False), (True, True)):
            engine.py_launch_agent("claude", "p", auto=auto, stream=stream)
        fakes.remove("claude")
        for auto, stream in ((False, False), (True, False), (True, True)):
            with pytest.raises(RuntimeError):
                engine.py_launch_agent("claude", "p", auto=auto, stream=stream)
    assert snapshot() == before
