import varnel


def test_module_tree_registers_engine_then_ops():
    assert varnel.__all__ == ["engine", "ops"]
    assert varnel.engine.__name__ == "engine"
    assert varnel.engine.git.__name__ == "git"
    assert varnel.ops.__name__ == "ops"


def test_submodules_are_not_importable():
    import importlib

    for name in ("varnel.engine", "varnel.engine.git", "varnel.ops"):
        try:
            importlib.import_module(name)
        except ImportError:
            continue
        raise AssertionError(name + " should not be importable")
