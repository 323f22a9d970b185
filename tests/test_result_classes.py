"""The result classes as Python sees them: read-only, not constructible, not subclassable."""
import pytest

from varnel import engine, ops

# Each registered class with its properties in definition order.
CLASSES = [
    (engine.PyLaunchResult, ["exit_code", "stdout", "stderr"]),
    (engine.PyPromptComponents, ["run_mode", "repo_root", "clipboard", "wave"]),
    (engine.PyRebaseResult, ["success", "conflicts", "new_head"]),
    (engine.PyBranchInfo, ["old_branch", "old_head", "new_branch"]),
    (engine.PyLandResult, ["merged_commit", "branch_deleted"]),
    (ops.PyPrResult, ["url", "created", "updated"]),
    (ops.PyLandResult, ["merged"]),
    (ops.PyNextResult, ["new_branch"]),
    (ops.PyRebaseResult, ["success"]),
]
IDS = [f"{cls.__name__}-{'-'.join(props)}" for cls, props in CLASSES]


def properties(cls):
    return [name for name, value in vars(cls).items()
            if not name.startswith("__") and type(value).__name__ == "getset_descriptor"]


@pytest.mark.parametrize("cls, props", CLASSES, ids=IDS)
def test_class_identity(cls, props):
    assert cls.__module__ == "builtins"
    assert cls.__name__ == cls.__qualname__
    assert cls.__name__ in {"PyLaunchResult", "PyPromptComponents", "PyRebaseResult", "PyBranchInfo", "PyLandResult",
                            "PyPrResult", "PyNextResult"}
    assert cls.__doc__ is None
    assert cls.__bases__ == (object,)
    assert properties(cls) == props


@pytest.mark.parametrize("cls, props", CLASSES, ids=IDS)
@pytest.mark.parametrize("args, kwargs", [((), {}), ((0,), {}), ((), {"success": True})])
def test_no_constructor(cls, props, args, kwargs):
    with pytest.raises(TypeError, match="^No constructor defined$"):
        cls(*args, **kwargs)


@pytest.mark.parametrize("cls, props", CLASSES, ids=IDS)
def test_no_subclassing(cls, props):
    with pytest.raises(TypeError, match="is not an acceptable base type"):
        type("Derived", (cls,), {})
    class Mixin:
        pass

    with pytest.raises(TypeError, match="is not an acceptable base type"):
        class Derived(Mixin, cls):
            pass


@pytest.mark.parametrize("cls, props", CLASSES, ids=IDS)
def test_properties_refuse_other_objects(cls, props):
    other = engine.PyLaunchResult if cls is not engine.PyLaunchResult else ops.PyPrResult
    for name in props:
        for stranger in (object(), 0, other):
            with pytest.raises(TypeError):
                vars(cls)[name].__get__(stranger)


def test_same_names_are_distinct_classes():
    assert engine.PyLandResult is not ops.PyLandResult
    assert engine.PyRebaseResult is not ops.PyRebaseResult
    assert engine.PyLandResult.__name__ == ops.PyLandResult.__name__
    assert not issubclass(ops.PyLandResult, engine.PyLandResult)


# Instances come from `_varnel_probe`, which registers the same classes through the
# same code and adds factories, so instance behaviour is tested before the
# operations that return these values exist.
import gc  # noqa: E402

import _varnel_probe as probe  # noqa: E402

INSTANCES = [
    (probe.engine.PyLaunchResult, lambda: probe.launch_result("-2147483648", "out é", ""),
     {"exit_code": -2147483648, "stdout": "out é", "stderr": ""}),
    (probe.engine.PyRebaseResult, lambda: probe.rebase_result(False, ("a.txt", "b c.txt"), "abc123"),
     {"success": False, "conflicts": ["a.txt", "b c.txt"], "new_head": "abc123"}),
    (probe.engine.PyRebaseResult, lambda: probe.rebase_result(True, None, None),
     {"success": True, "conflicts": None, "new_head": None}),
    (probe.engine.PyRebaseResult, lambda: probe.rebase_result(True, [], ""),
     {"success": True, "conflicts": [], "new_head": ""}),
    (probe.engine.PyBranchInfo, lambda: probe.branch_info("main", "f00d", "feature"),
     {"old_branch": "main", "old_head": "f00d", "new_branch": "feature"}),
    (probe.engine.PyLandResult, lambda: probe.land_result("c0ffee", True),
     {"merged_commit": "c0ffee", "branch_deleted": True}),
    (probe.ops.PyPrResult, lambda: probe.pr_result("https://example.test/pr/1", True, False),
     {"url": "https://example.test/pr/1", "created": True, "updated": False}),
    (probe.ops.PyLandResult, lambda: probe.ops_land_result(True), {"merged": True}),
    (probe.ops.PyNextResult, lambda: probe.next_result("user.next.1"), {"new_branch": "user.next.1"}),
    (probe.ops.PyRebaseResult, lambda: probe.ops_rebase_result(False), {"success": False}),
]
INSTANCE_IDS = [f"{cls.__name__}-{i}" for i, (cls, _, _) in enumerate(INSTANCES)]


@pytest.mark.parametrize("cls, make, fields", INSTANCES, ids=INSTANCE_IDS)
def test_instances_read_back_their_record(cls, make, fields):
    value = make()
    assert type(value) is cls
    assert properties(cls) == list(fields)
    for name, expected in fields.items():
        got = getattr(value, name)
        assert got == expected and type(got) is type(expected), name


@pytest.mark.parametrize("cls, make, fields", INSTANCES, ids=INSTANCE_IDS)
def test_instances_are_read_only(cls, make, fields):
    value = make()
    for name in [*fields, "extra", "__dict__", "__class__"]:
        with pytest.raises(AttributeError):
            setattr(value, name, 1)
        with pytest.raises(AttributeError):
            delattr(value, name)
    assert {name: getattr(value, name) for name in fields} == fields
    assert not hasattr(value, "extra")


@pytest.mark.parametrize("cls, make, fields", INSTANCES, ids=INSTANCE_IDS)
def test_default_text_form_and_identity_equality(cls, make, fields):
    a, b = make(), make()
    assert repr(a).startswith(f"<builtins.{cls.__name__} object at ")
    assert str(a) == repr(a)
    assert a == a and a != b
    hash(a)


def test_descriptors_refuse_instances_of_other_classes():
    engine_land = probe.land_result("c", True)
    ops_land = probe.ops_land_result(True)
    assert not isinstance(ops_land, probe.engine.PyLandResult)
    assert not hasattr(ops_land, "merged_commit")
    with pytest.raises(TypeError):
        vars(probe.engine.PyLandResult)["merged_commit"].__get__(ops_land)
    with pytest.raises(TypeError):
        vars(probe.ops.PyLandResult)["merged"].__get__(engine_land)


def test_list_attributes_are_new_lists_each_read():
    value = probe.rebase_result(False, ["a"], None)
    conflicts = value.conflicts
    conflicts.append("b")
    assert value.conflicts == ["a"]
    assert value.conflicts is not value.conflicts


def test_methods_and_computed_properties():
    note = probe.note("hello world")
    assert (note.text, note.first_word, note.upper(), note.length()) == ("hello world", "hello", "HELLO WORLD", 11)
    assert note.upper() == note.upper() and note.upper() is not note.upper()
    assert probe.note("single").first_word is None
    with pytest.raises(RuntimeError, match="^empty note$"):
        probe.note("").length()
    with pytest.raises(TypeError):
        note.upper(1)
    with pytest.raises(TypeError):
        probe.Note.upper(probe.next_result("x"))
    if hasattr(probe.Note.upper, "__text_signature__"):  # PyPy's method descriptors have none
        assert probe.Note.upper.__text_signature__ == "($self)"


def test_dropping_instances_frees_their_records():
    gc.collect()
    before = probe.live_notes()
    notes = [probe.note("x" * 100) for _ in range(1000)]
    assert probe.live_notes() == before + 1000
    del notes
    gc.collect()
    assert probe.live_notes() == before
