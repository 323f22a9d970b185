"""The main job: the prompt that the built-in review step hands an agent for this
repository, as an auto run would gather it, its token count, and the agent command
line that run_step would start for it."""
import os
import pathlib
import shlex
import tempfile

import varnel

root = pathlib.Path(__file__).resolve().parent.parent

components = varnel.engine.py_gather_context(str(root), step="review", run_mode="auto")
prompt = components.format()
print(prompt)
print()
print("-- {} tokens (step review, {})".format(components.token_count(), root))


def agent_command_line():
    """Runs run_step("review") against stand-ins for the agent programs, first on PATH,
    that print their arguments and exit: no agent starts. Returns the argument vector."""
    with tempfile.TemporaryDirectory() as stand_ins:
        for name in ("claude", "codex", "gemini"):
            path = os.path.join(stand_ins, name)
            with open(path, "w") as f:
                f.write('#!/bin/sh\nprintf \'%s\\0\' "${0##*/}" "$@"\n')
            os.chmod(path, 0o755)
        saved = os.environ["PATH"]
        os.environ["PATH"] = stand_ins + os.pathsep + saved
        try:
            result = varnel.engine.run_step("review", repo_root=str(root))
        finally:
            os.environ["PATH"] = saved
    return result.stdout.split("\0")[:-1]


argv = agent_command_line()
# The configuration may gather differently from the defaults used above.
argv[-1] = "<the prompt above>" if argv[-1] == prompt else "<a prompt of {} characters>".format(len(argv[-1]))
print("-- agent command: {}".format(shlex.join(argv)))
