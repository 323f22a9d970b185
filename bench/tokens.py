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
    print("\nlong unsplittable runs (cost per byte against ordinary text of the same length)")
    for unit, repeat in [("x", 1_000_000), ("^", RUN), ("0", RUN), ("a", RUN), ("'s", RUN), (" ", RUN), ("\n", RUN)]:
        text = unit * repeat
        ordinary = corpus.encode()[: len(text.encode())].decode(errors="ignore")
        t_run = best_time(lambda: ours(text), 5)
        t_ord = best_time(lambda: ours(ordinary), 5)
        t_tik = best_time(lambda: theirs(text), 3)
        print(
            f"  {unit!r:>5} * {repeat:<9,} varnel {t_run * 1e3:8.3f} ms ({t_run / t_ord:5.2f}x ordinary)  "
            f"tiktoken {t_tik * 1e3:8.3f} ms"
        )


FIRST_COUNT = """
import time
start, cpu = time.perf_counter(), time.process_time()
import varnel
varnel.engine.py_count_tokens("hello world")
print(time.perf_counter() - start, time.process_time() - cpu)
"""

# The resident memory of the process and of the module's own mappings (where the embedded
# table lives), around the first count of a 1 MB text. A call that does not count warms
# the binding first, so that the interpreter's own first-call costs stay out.
ENCODER_MEMORY = """
import sys
def rss(module_only):
    if not module_only:
        return next(int(l.split()[1]) for l in open("/proc/self/status") if l.startswith("VmRSS:")) * 1024
    total, ours = 0, False
    for line in open("/proc/self/smaps"):
        fields = line.split()
        if not fields[0].endswith(":"):
            ours = "varnel" in fields[-1]
        elif ours and fields[0] == "Rss:":
            total += int(fields[1]) * 1024
    return total
import varnel
text = open(sys.argv[1]).read()
varnel.engine.py_parse_model(text)
before = rss(False), rss(True)
varnel.engine.py_count_tokens(text)
print(rss(False) - before[0], rss(True) - before[1])
"""

TIKTOKEN_FIRST = """
import sys, time
start, cpu = time.perf_counter(), time.process_time()
sys.path.insert(0, sys.argv[1])
import cl100k_oracle
cl100k_oracle.load().encode_ordinary("hello world")
print(time.perf_counter() - start, time.process_time() - cpu)
"""


def fresh_process(python, code, *args):
    start = time.perf_counter()
    result = subprocess.run([str(python), "-c", code, *args], capture_output=True, text=True, check=True)
    return [float(v) for v in result.stdout.split()], time.perf_counter() - start


def median(values):
    return sorted(values)[len(values) // 2]


def first_use(corpus_file):
    print("\nfirst use in a fresh process (medians of 9: wall and CPU time in the process; the whole process)")
    rows = []
    if PYPY.exists():
        rows.append(("PyPy: import varnel + first count", PYPY, FIRST_COUNT, ()))
    rows.append(("CPython: import varnel + first count", sys.executable, FIRST_COUNT, ()))
    rows.append(("CPython: tiktoken load + first encode", sys.executable, TIKTOKEN_FIRST, (str(ROOT / "scripts"),)))
    for label, python, code, args in rows:
        runs = [fresh_process(python, code, *args) for _ in range(9)]
        inside, cpu = median([r[0][0] for r in runs]), median([r[0][1] for r in runs])
        whole = median([r[1] for r in runs])
        print(f"  {label:<40} {inside * 1e3:8.1f} ms (CPU {cpu * 1e3:6.1f} ms; process {whole * 1e3:6.1f} ms)")
    for label, python in [("PyPy", PYPY), ("CPython", sys.executable)]:
        if pathlib.Path(python).exists():
            runs = [fresh_process(python, ENCODER_MEMORY, corpus_file)[0] for _ in range(5)]
            process, module = median([r[0] for r in runs]), median([r[1] for r in runs])
            print(
                f"  {label + ': memory of the first count of 1 MB':<40} {process / 2**20:8.1f} MB resident "
                f"(embedded table {module / 2**20:.1f} MB)"
            )


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
