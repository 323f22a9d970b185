"""The main job: the prompt that the built-in review step hands an agent for this
repository, as an auto run would gather it, and its token count."""
import pathlib

import varnel

root = pathlib.Path(__file__).resolve().parent.parent

components = varnel.engine.py_gather_context(str(root), step="review", run_mode="auto")
print(components.format())
print()
print("-- {} tokens (step review, {})".format(components.token_count(), root))
