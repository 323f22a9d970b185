"""File-descriptor helpers shared by the tests and the benchmarks."""
import contextlib
import os


@contextlib.contextmanager
def output_discarded():
    """Points fds 1 and 2 at /dev/null, so a streaming run's echo of large output costs nothing."""
    saved = [os.dup(1), os.dup(2)]
    null = os.open(os.devnull, os.O_WRONLY)
    try:
        os.dup2(null, 1)
        os.dup2(null, 2)
        yield
    finally:
        os.dup2(saved[0], 1)
        os.dup2(saved[1], 2)
        for fd in saved + [null]:
            os.close(fd)
