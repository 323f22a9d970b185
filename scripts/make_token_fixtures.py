#!/usr/bin/env python3
"""Writes varnel-engine/tests/data/tokens/counts.txt: texts with their cl100k_base token
counts as computed by the reference encoder (tiktoken, see cl100k_oracle.py).

Run it from the CPython environment after changing the cases or the corpus:

    .venv/cpython/bin/python scripts/make_token_fixtures.py

File format (read by the C++ and the Python tests). After the comment lines, each case is
either

    <count> <repeat> corpus/<file>\n                  the text is the corpus file, repeated
    <count> <repeat> inline <length> <label>\n<bytes>\n  the text is the <length> bytes, repeated

where <count> is the token count of the whole text (the bytes repeated <repeat> times).
"""

import os
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

import cl100k_oracle  # noqa: E402
import unicode_samples  # noqa: E402

FIXTURES = os.path.join(cl100k_oracle.ROOT, "varnel-engine", "tests", "data", "tokens")
CORPUS = os.path.join(FIXTURES, "corpus")
OUTPUT = os.path.join(FIXTURES, "counts.txt")
RANDOM_SEED = 20240611
RANDOM_CASES = 600

def probes(chars):
    """Each character in contexts where its letter / number / space class decides the count.
    Most telling is a contraction after it: a letter, number or space ends before 's, which
    is then one token, while punctuation takes the apostrophe and leaves s alone."""
    return "".join("a%sa %s 1%s1 '%s %s%s%s\n%s's %s're\n" % ((c,) * 9) for c in chars)


# (label, text, repeat)
CASES = [
    ("empty", "", 1),
    ("one letter", "a", 1),
    ("one space", " ", 1),
    ("one newline", "\n", 1),
    ("NUL bytes", "a\0b\0\0\0 \0", 1),
    ("hello", "hello", 1),
    ("hello world", "hello world", 1),
    # Special-token strings are ordinary text.
    ("endoftext", "<|endoftext|>", 1),
    ("fim tokens", "<|fim_prefix|>x<|fim_middle|>y<|fim_suffix|>", 1),
    ("endofprompt", "prompt<|endofprompt|> <|endoftext|>\n", 1),
    # \s+(?!\S) leaves the last space of a run to the piece that follows.
    ("lookahead space at end", "today\n ", 1),
    ("lookahead newline at end", "today\n \n", 1),
    ("lookahead two spaces", "today\n  \n", 1),
    ("spaces before word", "a     b", 1),
    ("spaces at end", "word   ", 1),
    ("spaces at start", "   word", 1),
    ("tabs before word", "\t\t\tx = 1", 1),
    ("mixed white space", "x \t \n \ty\u00a0\u00a0z\u3000w\u2028v  \u2029", 1),
    ("space before digits", "a  123 4567", 1),
    ("space before punctuation", "x  !! ?? ..", 1),
    ("newline runs", "\n\n\n  x\n\n\n  ", 1),
    ("CRLF runs", "a\r\n\r\n  \r\n\tb\r\r\n", 1),
    ("punctuation then newlines", "end.\r\n\r\n\nnext!!!\n\n  (x)", 1),
    # Contractions match in any case, and 's also matches U+017F through case folding.
    ("contractions upper", "DON'T WE'LL THEY'RE I'VE I'M SHE'D IT'S", 1),
    ("contractions mixed", "We'Ll do'nT they'rE i'Ve I'm he'D it'S", 1),
    ("contraction alone", "'RE", 1),
    ("long s", "'\u017fx '\u017f \u017f'\u017f", 1),
    ("not contractions", "'x 'sx 'llama ''s ' s '\u212a \u2019s 'S'S", 1),
    # Numbers come in runs of at most three.
    ("digit runs", "1 12 123 1234 12345 1234567890 3.14159 1,000,000 2024-06-11", 1),
    ("other numbers", "\u0660\u0661\u0662\u0663 \u00bd\u00bc x\u00b2\u00b3\u2074 \u216b\u2167 \u2460\u2461", 1),
    ("letters and digits", "abc123def456 x1y22z333 12abc", 1),
    # Letters, numbers and spaces of Unicode 15 and 16 (new scripts and digits), in contexts
    # where a wrong class moves piece boundaries that byte-pair merging can see.
    ("unicode 15", probes("\U00011f04\U00011f05\U00011f50\U00011f51\U0001e4d0\U0001e4f0\U0001e4f1"), 1),
    ("unicode 16 letters", probes("\U00010d50\U00011bc0\U00016d43\U000105c0\U00011380\ua7cb\ua7cc\ua7dc"), 1),
    ("unicode 16 digits", probes("\U00010d40\U00010d41\U00011bf0\U00011bf9\U00016d70\U00016d79"), 1),
    ("other classes", probes("\u00b2\u2167\u3007\u02b0\u0301\u200b\u00a0\u1680\u2028\u0085\u001c"), 1),
    ("unassigned and private", probes("\U0001fff0\u0378\ue000\U000f0000\U0010fffd"), 1),
    # Long unsplittable pieces.
    ("x run", "x", 1000000),
    ("caret run", "^", 10000),
    ("zero run", "0", 10000),
    ("a run", "a", 10000),
    ("'s run", "'s", 10000),
    ("space run", " ", 10000),
    ("newline run", "\n", 10000),
    ("CRLF run", "\r\n", 5000),
    ("equals run", "=", 4096),
    ("hex run", "0123456789abcdef", 4096),
    ("base64 run", "QmFzZTY0IGRhdGEgd2l0aG91dCBicmVha3M+/", 1000),
    ("emoji run", "\U0001f600", 5000),
    ("CJK run", "\u6f22\u5b57", 5000),
]

CORPUS_REPEATS = {"prose.md": 430, "sample.py": 80, "scripts.txt": 4}


def corpus_files():
    return sorted(os.listdir(CORPUS))


def sized_prefixes(mixed):
    """Prefixes of the mixed corpus from 1 byte to 10 kB, cut at character boundaries."""
    for size in (1, 2, 10, 100, 1000, 10000):
        text = mixed.encode()[:size].decode(errors="ignore")
        yield ("mixed corpus, %d bytes" % size, text, 1)


def inline_record(count, label, text, repeat):
    data = text.encode()
    return b"%d %d inline %d %s\n%s\n" % (count, repeat, len(data), label.encode(), data)


def main():
    encoding = cl100k_oracle.load()
    if encoding is None:
        sys.exit("make_token_fixtures: tiktoken is not installed (use .venv/cpython)")
    import tiktoken

    corpus = {}
    for name in corpus_files():
        with open(os.path.join(CORPUS, name), "rb") as source:
            corpus[name] = source.read().decode()
    mixed = "".join(corpus[name] for name in sorted(corpus))

    source = unicode_samples.TextSource(RANDOM_SEED)
    randoms = [("random %d" % i, text, 1) for i, text in enumerate(source.texts(RANDOM_CASES))]
    cases = CASES + list(sized_prefixes(mixed)) + [("mixed corpus", mixed, 12)] + randoms

    out = [
        b"# Generated by scripts/make_token_fixtures.py with tiktoken %s; do not edit.\n"
        % tiktoken.__version__.encode(),
        b"# Token counts of the cl100k_base ordinary encoding (format: see the generator).\n",
    ]
    for name in sorted(corpus):
        for repeat in sorted({1, CORPUS_REPEATS.get(name, 1)}):
            count = cl100k_oracle.count(encoding, corpus[name] * repeat)
            out.append(b"%d %d corpus/%s\n" % (count, repeat, name.encode()))
    for label, text, repeat in cases:
        out.append(inline_record(cl100k_oracle.count(encoding, text * repeat), label, text, repeat))
    with open(OUTPUT, "wb") as target:
        target.write(b"".join(out))


if __name__ == "__main__":
    main()
