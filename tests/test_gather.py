"""Gathering a prompt's context through py_gather_context, on real repositories."""
import inspect
import os
import platform
import re

import pytest

from varnel import engine

gather = engine.py_gather_context

AUTO = ("Run mode is auto (headless). Proceed without pausing for questions. If you need clarification, "
        "make the best assumption you can and append any open questions to `scratch/questions.md`.")
DOCS_HEADING = ("Repository documentation. Follow STYLE carefully. May include design artifacts (scratch/) "
                "and internal docs (reports/).")


def guide_section(repo):
    text = gather(str(repo), vndocs=False, diff_files=False).format()
    assert text.startswith("<vn:varnel>\n") and text.endswith("\n</vn:varnel>")
    return text


def marker_order(text, markers):
    """The markers found in `text`, in the order they appear."""
    found = [(text.index(m), m) for m in markers if m in text]
    return [m for _, m in sorted(found)]


def test_prompt_holds_each_gathered_part_in_its_section(repo):
    repo.write(".vn/steps/tiny.md", "---\ndirections: d1\n---\nDo it.\n")
    repo.write(".vn/directions/d1.md", "D1")
    repo.write(".vn/directions/d2.md", "D2")
    repo.write("src/NOTES.md", "n\n")
    got = gather(str(repo), step="tiny", directions=["d2"], run_mode="auto", diff_files=False, area="src/api")
    assert got.format() == "\n\n".join([
        guide_section(repo),
        AUTO,
        DOCS_HEADING + "\n\n<vn:docs>\n<vn:README>\n# test repository\n\n</vn:README>\n</vn:docs>",
        "Area docs for `src/api`. Architectural context from parent directories.\n\n"
        "<vn:area>\n<vn:NOTES>\nn\n\n</vn:NOTES>\n</vn:area>",
        "Directions for this work.\n\n<vn:directions>\n<vn:direction:d1>\nD1\n</vn:direction:d1>\n"
        "<vn:direction:d2>\nD2\n</vn:direction:d2>\n</vn:directions>",
        "The step.\n\n<vn:step:tiny>\nDo it.\n\n</vn:step:tiny>",
    ])
    assert (got.run_mode, got.repo_root, got.clipboard, got.wave) == ("auto", str(repo), None, None)
    assert got.format() == got.format()
    assert isinstance(got.token_count(), int) and got.token_count() == got.token_count()


def test_documents_come_scratch_then_roadmap_then_root(repo):
    files = {
        "scratch/a.md": "<<scratch a>>", "scratch/b.txt": "<<not md>>", "scratch/sub/c.md": "<<sub c>>",
        "roadmap/w/b.md": "<<w b>>", "roadmap/w/a.md": "<<w a>>", "roadmap/w/README.md": "<<w readme>>",
        "roadmap/v/x.md": "<<other wave>>", "B.md": "<<root B>>", "a.md": "<<root a>>", "c.MD": "<<upper>>",
        "docs/inner.md": "<<inner>>",
    }
    for name, text in files.items():
        repo.write(name, text)
    repo.write("README.md", "<<root readme>>")
    text = gather(str(repo), wave="w", diff_files=False).format()
    order = marker_order(text, [m for m in files.values()] + ["<<root readme>>"])
    assert sorted(order[:2]) == ["<<scratch a>>", "<<sub c>>"]  # in the order the system lists them
    assert order[2:] == ["<<w readme>>", "<<w a>>", "<<w b>>", "<<root B>>", "<<root readme>>", "<<root a>>"]
    assert text.count("<vn:README>") == 2  # roadmap/w/README.md and README.md share the tag
    assert '<vn:wave name="w">\nYou are building toward the w program of work.' in text
    assert "<vn:c>\n<<sub c>>\n</vn:c>" in text


@pytest.mark.parametrize("area, expected", [
    ("src", []),
    ("src/api", ["<<src>>"]),
    ("a/b/c", ["<<a 1>>", "<<a 2>>", "<<a/b>>"]),
    ("missing/deep", []),
])
def test_area_documents_come_from_the_ancestors_outermost_first(repo, area, expected):
    for name, text in {"src/s.md": "<<src>>", "a/2.md": "<<a 2>>", "a/1.md": "<<a 1>>", "a/b/x.md": "<<a/b>>",
                       "a/b/c/own.md": "<<own>>"}.items():
        repo.write(name, text)
    text = gather(str(repo), vndocs=False, diff_files=False, area=area).format()
    assert marker_order(text, ["<<src>>", "<<a 1>>", "<<a 2>>", "<<a/b>>", "<<own>>"]) == expected
    assert ("Area docs for `{}`".format(area) in text) == bool(expected)


def test_only_the_repository_root_is_required(repo):
    # A configuration saying otherwise is not consulted.
    repo.write(".vn/config.yaml", "vndocs: false\ndiff_files: false\ndiff: true\npaste: true\n")
    repo.git("checkout", "-q", "-b", "feature")
    repo.commit(**{"f.txt": "one\n"})
    got = gather(str(repo))
    text = got.format()
    assert "<vn:README>" in text
    assert "<vn:diff>\ndiff --git a/.vn/config.yaml" in text
    assert got.run_mode is None and got.clipboard is None


@pytest.mark.parametrize("kwargs, message", [
    ({"step": "x"}, "step not found: x"),
    ({"directions": ["y"]}, "execution failed: direction not found: y"),
    ({"step": "bad"}, "execution failed: invalid step: "),
])
def test_loading_errors(repo, kwargs, message):
    repo.write(".vn/steps/bad.md", "---\n: [unclosed\n---\nbody\n")
    with pytest.raises(RuntimeError) as raised:
        gather(str(repo), **kwargs)
    assert str(raised.value).startswith(message)
    assert raised.value.args == (str(raised.value),)
    if not message.endswith(": "):
        assert str(raised.value) == message


def test_io_errors(tmp_path, only_fakes_on_path):
    missing = tmp_path / "missing"
    with pytest.raises(RuntimeError, match="^io error: No such file or directory: " + re.escape(str(missing)) + "$"):
        gather(str(missing), diff_files=False)
    tmp_path.joinpath("plain").mkdir()
    with pytest.raises(RuntimeError, match="^io error: No such file or directory$"):  # git is not on PATH
        gather(str(tmp_path / "plain"), vndocs=False)


def test_bad_scratch_entries_are_skipped_and_gathering_ends(repo):
    scratch = repo.path / "scratch"
    (scratch / "sub").mkdir(parents=True)
    os.symlink("..", scratch / "sub" / "loop")
    os.symlink("loop.md", scratch / "loop.md")
    os.mkfifo(scratch / "notes.md")
    (scratch / "big.md").write_bytes(b"x" * (50 << 20))
    (scratch / b"\xff-name.md".decode("utf-8", "surrogateescape")).write_bytes(b"odd name")
    (scratch / "latin1.md").write_bytes(b"caf\xe9")
    (scratch / "ok.md").write_text("fine")
    text = gather(str(repo), diff_files=False).format()
    assert "<vn:big>\n" + "x" * (50 << 20) + "\n</vn:big>" in text
    assert "<vn:\ufffd-name>\nodd name\n</vn:\ufffd-name>" in text
    assert "<vn:ok>\nfine\n</vn:ok>" in text
    assert "<vn:notes>" not in text and "<vn:latin1>" not in text and "<vn:loop>" not in text


def test_clipboard_is_read_only_when_asked(repo, only_fakes_on_path):
    xclip = only_fakes_on_path.program("xclip", stdout="  pasted\n")
    assert gather(str(repo), diff_files=False).clipboard is None
    assert xclip.calls == []
    got = gather(str(repo), diff_files=False, clipboard=True)
    assert got.clipboard == "  pasted\n"
    assert "Content from clipboard.\n\n<vn:clipboard>\n  pasted\n\n</vn:clipboard>" in got.format()
    assert xclip.argvs == [["-selection", "clipboard", "-o"]]


@pytest.mark.parametrize("installed, expected, ran", [
    ({"xclip": ("", 0), "xsel": ("from xsel", 0)}, None, ["xclip"]),  # an empty clipboard stops the search
    ({"xclip": ("x", 1), "xsel": ("from xsel", 0)}, None, ["xclip"]),
    ({"xsel": ("from xsel", 0), "wl-paste": ("from wl", 0)}, "from xsel", ["xsel"]),
    ({"wl-paste": ("from wl", 0)}, "from wl", ["wl-paste"]),
    ({}, None, []),
])
def test_clipboard_fallbacks(repo, only_fakes_on_path, installed, expected, ran):
    fakes = {name: only_fakes_on_path.program(name, stdout=out, exit_code=code)
             for name, (out, code) in installed.items()}
    assert gather(str(repo), vndocs=False, diff_files=False, clipboard=True).clipboard == expected
    assert [name for name, fake in fakes.items() if fake.calls] == ran


def test_methods_take_only_the_instance(repo):
    got = gather(str(repo), vndocs=False, diff_files=False)
    for name in ("format", "token_count"):
        method = getattr(engine.PyPromptComponents, name)
        assert method.__doc__ is None
        if platform.python_implementation() == "CPython":  # PyPy's methods keep no text signature
            assert method.__text_signature__ == "($self)"
            assert str(inspect.signature(getattr(got, name))) == "()"
        with pytest.raises(TypeError):
            getattr(got, name)(1)
    # The guide alone counts as its own text does.
    guide = got.format()[len("<vn:varnel>\n"):-len("\n</vn:varnel>")]
    assert got.token_count() == engine.py_count_tokens(guide)
