"""The main job: show what the engine offers and what it makes of this repository."""
import pathlib
import varnel

root = pathlib.Path(__file__).resolve().parent.parent


def tree(module, name, depth=0):
    print("  " * depth + name)
    for member in getattr(module, "__all__", []):
        value = getattr(module, member)
        if type(value) is type(varnel):
            tree(value, member, depth + 1)
        else:
            print("  " * (depth + 1) + member)


tree(varnel, "varnel")
