"""Calling the module's functions: text signatures, argument binding and conversion."""
import inspect

import pytest

from varnel import engine


class Text(str):
    pass


@pytest.mark.parametrize("function, signature", [
    (engine.py_count_tokens, "(text)"),
    (engine.py_parse_model, "(model)"),
    (engine.py_gather_context, "(repo_root, step=None, directions=None, run_mode=None, vndocs=True, "
                               "diff_files=True, diff=False, clipboard=False, area=None, wave=None)"),
])
def test_text_signature_is_the_only_documentation(function, signature):
    assert str(inspect.signature(function)) == signature
    assert function.__doc__ is None
    assert function.__module__ == "engine"


# Binding errors keep the interpreter's own wording (naming the function), while
# conversion errors name the parameter and chain the conversion's own error.
@pytest.mark.parametrize("function", [engine.py_count_tokens, engine.py_parse_model])
@pytest.mark.parametrize("args, kwargs, message", [
    ((), {}, r"^{f}\(\) missing required argument '{p}' \(pos 1\)$"),
    (("a", "b"), {}, r"^{f}\(\) takes at most 1 argument \(2 given\)$"),
    (("a",), {"{p}": "a"}, r"^{f}\(\) takes at most 1 argument \(2 given\)$"),
    ((), {"other": "a"}, r"^{f}\(\) missing required argument '{p}' \(pos 1\)$"),
])
def test_binding_errors(function, args, kwargs, message):
    name = function.__name__
    param = next(iter(inspect.signature(function).parameters))
    kwargs = {key.format(p=param): value for key, value in kwargs.items()}
    with pytest.raises(TypeError, match=message.format(f=name, p=param)):
        function(*args, **kwargs)


@pytest.mark.parametrize("function", [engine.py_count_tokens, engine.py_parse_model])
@pytest.mark.parametrize("value, type_name", [(None, "NoneType"), (1, "int"), (b"claude", "bytes"), (["a"], "list")])
def test_text_refuses_non_str(function, value, type_name):
    param = next(iter(inspect.signature(function).parameters))
    with pytest.raises(TypeError) as caught:
        function(value)
    inner = f"'{type_name}' object cannot be converted to 'str'"
    assert str(caught.value) == f"argument '{param}': {inner}"
    assert type(caught.value.__cause__) is TypeError
    assert str(caught.value.__cause__) == inner


def test_text_by_keyword_and_str_subclass():
    assert engine.py_parse_model(model=Text("gemini")) == ("gemini", "2.5-pro")
    assert engine.py_count_tokens(text=Text("")) == engine.py_count_tokens("")


def test_text_that_is_not_encodable_raises_unicode_error():
    with pytest.raises(UnicodeEncodeError):
        engine.py_parse_model("claude:\ud800")


@pytest.mark.parametrize("spec, expected", [
    ("claude:opus", ("claude", "opus")),
    ("claude", ("claude", "opus")),
    ("gemini", ("gemini", "2.5-pro")),
    ("codex", ("codex", None)),
    ("claude:", ("claude", "")),
    ("a:b:c", ("a", "b:c")),
    ("", ("", None)),
    (" Claude ", (" Claude ", None)),
    ("gemini:2.5-flash", ("gemini", "2.5-flash")),
    (":x", ("", "x")),
    ("クロード:é", ("クロード", "é")),
])
def test_parse_model(spec, expected):
    result = engine.py_parse_model(spec)
    assert type(result) is tuple and result == expected


@pytest.mark.parametrize("text", ["", " ", "a", "hello world", "x" * 100_000, "naïve 日本語 🙂", "a\x00b"])
def test_count_tokens_is_a_positive_int_bounded_by_the_byte_length(text):
    count = engine.py_count_tokens(text)
    assert type(count) is int
    assert 1 <= count <= max(1, len(text.encode("utf-8")))


def test_count_tokens_of_empty_text_is_one():
    assert engine.py_count_tokens("") == 1
