"""Token counts of py_count_tokens: the fixture everywhere, the reference encoder itself
where it is installed (CPython)."""
import pathlib
import sys

import pytest

from varnel import engine

ROOT = pathlib.Path(__file__).resolve().parent.parent
FIXTURES = ROOT / "varnel-engine" / "tests" / "data" / "tokens"
sys.path.insert(0, str(ROOT / "scripts"))

import cl100k_oracle  # noqa: E402
import unicode_samples  # noqa: E402

oracle = cl100k_oracle.load()
needs_oracle = pytest.mark.skipif(oracle is None, reason="tiktoken is not installed here")


def fixture_cases():
    """(label, text, count) of counts.txt; its format is in scripts/make_token_fixtures.py."""
    data = (FIXTURES / "counts.txt").read_bytes()
    pos = 0
    while pos < len(data):
        eol = data.index(b"\n", pos)
        line, pos = data[pos:eol].decode(), eol + 1
        if line.startswith("#"):
            continue
        count, repeat, source, *rest = line.split(" ", 4)
        if source == "inline":
            length, label = int(rest[0]), rest[1] if len(rest) > 1 else ""
            unit, pos = data[pos : pos + length], pos + length + 1
        else:
            label, unit = source, (FIXTURES / source).read_bytes()
        yield label, unit.decode() * int(repeat), int(count)


def test_counts_equal_the_reference_on_the_fixture_corpus():
    cases = list(fixture_cases())
    assert len(cases) > 100
    counted = [(label, engine.py_count_tokens(text), count) for label, text, count in cases]
    mismatches = [case for case in counted if case[1] != case[2]]
    assert mismatches == []
    assert max(len(text.encode()) for _, text, _ in cases) >= 1_000_000


@pytest.mark.parametrize("text, count", [
    ("", 1),
    ("hello", 1),
    ("hello world", 2),
    ("<|endoftext|>", 7),
    ("today\n ", 3),
    ("today\n \n", 2),
    ("today\n  \n", 2),
    ("DON'T", 2),
    ("'RE", 1),
    ("a\0b", 3),
])
def test_edge_cases(text, count):
    result = engine.py_count_tokens(text)
    assert type(result) is int
    assert result == count


@needs_oracle
def test_random_texts_across_all_categories_equal_the_reference():
    source = unicode_samples.TextSource(seed=1)
    texts = source.texts(3000) + [source.text(max_units=2000) for _ in range(20)]
    mismatches = [t for t in texts if engine.py_count_tokens(t) != cl100k_oracle.count(oracle, t)]
    assert mismatches == []


@needs_oracle
def test_every_classified_code_point_cuts_as_the_reference():
    # Each code point in contexts where a wrong letter, number or space class moves piece
    # boundaries that the count can see (before 's, a letter or number ends and 's is one
    # token, while punctuation takes the apostrophe). Past U+323FF every code point is in
    # one class, so a stride suffices there.
    points = [cp for cp in range(0x32400) if not 0xD800 <= cp < 0xE000]
    points += range(0x32400, 0x110000, 97)
    step = 256
    mismatches = []
    for start in range(0, len(points), step):
        text = "".join(f"x{c}x1{c}'{c}a {c}{c}\n{c}'s {c}'re\n" for c in map(chr, points[start : start + step]))
        if engine.py_count_tokens(text) != cl100k_oracle.count(oracle, text):
            mismatches.append(hex(points[start]))
    assert mismatches == []
