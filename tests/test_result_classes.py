"""The result classes as Python sees them: read-only, not constructible, not subclassable."""
import pytest

from varnel import engine, ops

# Each registered class with its properties in definition order.
CLASSES = [
    (engine.PyLaunchResult, ["exit_code", "stdout", "stderr"]),
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
    assert cls.__name__ in {"PyLaunchResult", "PyRebaseResult", "PyBranchInfo", "PyLandResult",
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
