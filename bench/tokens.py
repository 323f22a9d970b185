"""Token counting speed: py_count_tokens against tiktoken's encode_ordinary, same texts,
same process (CPython); then, under PyPy, a fresh process's import and first count and the
resident memory the encoder adds.

    .venv/cpython/bin/python bench/tokens.py

Corpus: the token fixtures' corpus and the repository's own text files, repeated to a few
megabytes; short prompts are slices of it from 20 bytes to 4 kB. Long unsplittable runs
are timed against ordinary text of the same length.
"""
import os
import pathlib
import random
import subprocess
import sys
import time

ROOT = pathlib.Path(__file__).resolve().parent.parent
sys.path.insert(0, str(ROOT / "scripts"))

import cl100k_oracle  # noqa: E402

CORPUS_BYTES = 4_000_000
SHORT_PROMPTS = 4000
RUN = 10_000
PYPY = ROOT / ".venv" / "pypy" / "bin" / "python"


def source_texts():
    texts = [p.read_text() for p in sorted((ROOT / "varnel-engine/tests/data/tokens/corpus").iterdir())]
    tracked = subprocess.run(["git", "-C", str(ROOT), "ls-files"], capture_output=True, text=True).stdout.split()
    for name in tracked:
        if name.endswith((".cpp", ".hpp", ".py", ".md", ".cmake", ".txt")) and "data/tokens" not in name:
            try:
                texts.append((ROOT / name).read_text())
            except (OSError, UnicodeDecodeError):
                pass
    return texts


def mixed_corpus(texts):
    unit = "\n".join(texts)
    return unit * (CORPUS_BYTES // len(unit.encode()) + 1)


def short_prompts(corpus, count):
    rng = random.Random(5)
    prompts = []
    for _ in range(count):
        size = int(20 * 200 ** rng.random())  # 20 bytes .. 4 kB, log-uniform
        start = rng.randrange(len(corpus) - size)
        prompts.append(corpus[start : start + size])
    return prompts


def best_time(fn, repeat):
    best = float("inf")
    for _ in range(repeat):
        start = time.perf_counter()
        fn()
        best = min(best, time.perf_counter() - start)
    return best


def compare(label, texts, ours, theirs, repeat):
    size = sum(len(t.encode()) for t in texts)
    ours_total = sum(ours(t) for t in texts)
    theirs_total = sum(theirs(t) for t in texts)
    if ours_total != theirs_total:
        sys.exit(f"{label}: counts differ ({ours_total} against {theirs_total})")
    t_ours = best_time(lambda: [ours(t) for t in texts], repeat)
    t_theirs = best_time(lambda: [theirs(t) for t in texts], repeat)
    print(
        f"{label:<34} {size / 1e6:7.2f} MB  varnel {size / t_ours / 1e6:7.1f} MB/s  "
        f"tiktoken {size / t_theirs / 1e6:6.1f} MB/s  ratio {t_theirs / t_ours:5.2f}x"
    )
    return t_ours / size


def long_runs(ours, theirs, corpus):
    print(f"\nlong runs ({RUN} repeats; cost per byte relative to ordinary text of the same length)")
    for unit in ["x" * 100, "^", "0", "a", "'s", " ", "\n"]:
        text = unit * (RUN if len(unit) < 100 else RUN)
        ordinary = corpus.encode()[: len(text.encode())].decode(errors="ignore")
        t_run = best_time(lambda: ours(text), 5)
        t_ord = best_time(lambda: ours(ordinary), 5)
        t_tik = best_time(lambda: theirs(text), 3)
        name = "x * 1,000,000" if len(unit) == 100 else f"{unit!r} * {RUN}"
        print(
            f"  {name:<16} {len(text.encode()):>8} bytes  varnel {t_run * 1e3:8.3f} ms "
            f"({t_run / t_ord:5.2f}x ordinary)  tiktoken {t_tik * 1e3:8.3f} ms"
        )


FIRST_COUNT = """
import time
start = time.perf_counter()
import varnel
varnel.engine.py_count_tokens("hello world")
print(time.perf_counter() - start)
"""

ENCODER_MEMORY = """
import sys
def rss():
    for line in open("/proc/self/status"):
        if line.startswith("VmRSS:"):
            return int(line.split()[1]) * 1024
import varnel
text = open(sys.argv[1]).read()
before = rss()
varnel.engine.py_count_tokens(text)
print(rss() - before)
"""

TIKTOKEN_FIRST = """
import sys, time
start = time.perf_counter()
sys.path.insert(0, sys.argv[1])
import cl100k_oracle
cl100k_oracle.load().encode_ordinary("hello world")
print(time.perf_counter() - start)
"""


def fresh_process(python, code, *args):
    result = subprocess.run([str(python), "-c", code, *args], capture_output=True, text=True, check=True)
    return float(result.stdout)


def first_use(corpus_file):
    print("\nfirst use in a fresh process (median of 9)")
    rows = []
    if PYPY.exists():
        rows.append(("PyPy: import varnel + first count", PYPY, FIRST_COUNT, ()))
    rows.append(("CPython: import varnel + first count", sys.executable, FIRST_COUNT, ()))
    rows.append(("CPython: tiktoken load + first encode", sys.executable, TIKTOKEN_FIRST, (str(ROOT / "scripts"),)))
    for label, python, code, args in rows:
        times = sorted(fresh_process(python, code, *args) for _ in range(9))
        print(f"  {label:<40} {times[4] * 1e3:8.1f} ms")
    if PYPY.exists():
        added = sorted(fresh_process(PYPY, ENCODER_MEMORY, corpus_file) for _ in range(5))[2]
        print(f"  {'PyPy: resident memory the encoder adds':<40} {added / 2**20:8.1f} MB")


def main():
    import varnel
    import tempfile

    oracle = cl100k_oracle.load()
    if oracle is None:
        sys.exit("bench/tokens.py needs tiktoken: run it with .venv/cpython/bin/python")
    ours = varnel.engine.py_count_tokens

    def theirs(text):
        return max(1, len(oracle.encode_ordinary(text)))

    texts = source_texts()
    corpus = mixed_corpus(texts)
    compare("mixed corpus", [corpus], ours, theirs, repeat=3)
    compare(f"short prompts ({SHORT_PROMPTS}, 20 B..4 kB)", short_prompts(corpus, SHORT_PROMPTS), ours, theirs, 3)
    long_runs(ours, theirs, corpus)
    with tempfile.NamedTemporaryFile("w", suffix=".txt", delete=False) as sample:
        sample.write(corpus[:1_000_000])
    try:
        first_use(sample.name)
    finally:
        os.unlink(sample.name)


if __name__ == "__main__":
    main()
