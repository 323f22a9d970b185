"""Every parameter kind, result conversion and error mapping of the binding kit.

The module's own functions use only some kinds so far; `_varnel_probe` (built beside
the module by `make install-pypy` / `make install-cpython`, never installed for users)
registers test functions through the same kit, so every kind is covered now.
"""
import numpy as np
import pytest

import _varnel_probe as probe


class Text(str):
    pass


class FakeNumpyBool:
    """A type named like NumPy 1's boolean scalar: flags go by the type name."""

    def __init__(self, value):
        self.value = value

    def __bool__(self):
        return self.value


FakeNumpyBool.__name__ = "numpy.bool_"


def test_signature_is_derived_from_the_kinds():
    assert probe.kinds.__text_signature__ == '(text, optional_text=None, defaulted="main", flag=True, texts=None)'
    assert probe.kinds.__doc__ is None


@pytest.mark.parametrize("args, kwargs, expected", [
    (("a",), {}, ("a", None, "main", True, None)),
    (("a", "b", "c", False, ["d", "e"]), {}, ("a", "b", "c", False, ["d", "e"])),
    ((), {"texts": ("d",), "flag": False, "defaulted": "", "optional_text": "", "text": ""},
     ("", "", "", False, ["d"])),
    (("a", None, "main", True, None), {}, ("a", None, "main", True, None)),
    ((Text("a"), Text("b"), Text("c")), {"texts": [Text("d")]}, ("a", "b", "c", True, ["d"])),
    (("a",), {"texts": []}, ("a", None, "main", True, [])),
    (("日本 🙂\x00",), {"texts": ["é", ""]}, ("日本 🙂\x00", None, "main", True, ["é", ""])),
    (("a",), {"flag": np.bool_(True)}, ("a", None, "main", True, None)),
    (("a",), {"flag": np.False_}, ("a", None, "main", False, None)),
    (("a",), {"flag": FakeNumpyBool(False)}, ("a", None, "main", False, None)),
    (("a",), {"flag": FakeNumpyBool(True)}, ("a", None, "main", True, None)),
])
def test_kinds_convert(args, kwargs, expected):
    result = probe.kinds(*args, **kwargs)
    assert result == expected
    assert [type(value) for value in result] == [type(value) for value in expected]


NOT_STR = "'{}' object cannot be converted to 'str'"


@pytest.mark.parametrize("kwargs, param, inner", [
    ({"text": None}, "text", NOT_STR.format("NoneType")),
    ({"text": b"a"}, "text", NOT_STR.format("bytes")),
    ({"optional_text": 1}, "optional_text", NOT_STR.format("int")),
    ({"defaulted": None}, "defaulted", NOT_STR.format("NoneType")),
    ({"flag": None}, "flag", "'NoneType' object cannot be converted to 'bool'"),
    ({"flag": 1}, "flag", "'int' object cannot be converted to 'bool'"),
    ({"flag": 0}, "flag", "'int' object cannot be converted to 'bool'"),
    ({"flag": "True"}, "flag", "'str' object cannot be converted to 'bool'"),
    ({"flag": np.int64(1)}, "flag", "'numpy.int64' object cannot be converted to 'bool'"),
    ({"texts": "ab"}, "texts", "Can't extract `str` to `Vec`"),
    ({"texts": Text("ab")}, "texts", "Can't extract `str` to `Vec`"),
    ({"texts": ["a", 1]}, "texts", NOT_STR.format("int")),
    ({"texts": [None]}, "texts", NOT_STR.format("NoneType")),
    ({"texts": 5}, "texts", "'int' object cannot be converted to 'Sequence'"),
    ({"texts": {"a": 1}}, "texts", "'dict' object cannot be converted to 'Sequence'"),
    ({"texts": (t for t in "ab")}, "texts", "'generator' object cannot be converted to 'Sequence'"),
])
def test_conversion_errors_name_the_parameter(kwargs, param, inner):
    kwargs = {"text": "a", **kwargs}
    with pytest.raises(TypeError) as caught:
        probe.kinds(**kwargs)
    assert str(caught.value) == f"argument '{param}': {inner}"
    assert type(caught.value.__cause__) is TypeError
    assert str(caught.value.__cause__) == inner


def test_first_failing_argument_in_signature_order_is_reported():
    with pytest.raises(TypeError, match="^argument 'defaulted': "):
        probe.kinds(texts="x", flag=1, defaulted=None, text="a")


def test_errors_other_than_type_errors_pass_unchanged():
    class Broken:
        def __len__(self):
            return 1

        def __getitem__(self, index):
            raise KeyError("from the sequence")

    with pytest.raises(KeyError, match="from the sequence"):
        probe.kinds("a", texts=Broken())
    with pytest.raises(UnicodeEncodeError):
        probe.kinds("a", texts=["\udcff"])


@pytest.mark.parametrize("args, kwargs, message", [
    ((), {}, r"^kinds\(\) missing required argument 'text' \(pos 1\)$"),
    (("a", None, "b", True, None, "surplus"), {}, r"^kinds\(\) takes at most 5 arguments \(6 given\)$"),
    (("a",), {"bogus": 1}, r"^'bogus' is an invalid keyword argument for kinds\(\)$"),
    (("a",), {"text": "b"}, r"^argument for kinds\(\) given by name \('text'\) and position \(1\)$"),
    (("a", None), {"optional_text": "b"},
     r"^argument for kinds\(\) given by name \('optional_text'\) and position \(2\)$"),
])
def test_binding_errors_use_the_interpreters_wording(args, kwargs, message):
    with pytest.raises(TypeError, match=message):
        probe.kinds(*args, **kwargs)


def test_error_values_raise_runtime_error_with_their_display_text():
    with pytest.raises(RuntimeError) as caught:
        probe.fail("git command failed: git -C /r push")
    assert type(caught.value) is RuntimeError
    assert caught.value.args == ("git command failed: git -C /r push",)
    assert caught.value.__cause__ is None


@pytest.mark.parametrize("kind, error, message", [
    ("runtime_error", SystemError, "internal error in fault: broken invariant"),
    ("int", SystemError, "internal error in fault: unknown exception"),
    ("bad_alloc", MemoryError, None),
])
def test_cpp_exceptions_become_python_exceptions(kind, error, message):
    with pytest.raises(error) as caught:
        probe.fault(kind)
    if message is not None:
        assert str(caught.value) == message
    assert probe.fault("none") is True  # the module stays usable


def test_returned_values_are_new_objects():
    first = probe.kinds("a", texts=["x"])
    second = probe.kinds("a", texts=["x"])
    assert first == second and first is not second and first[4] is not second[4]
