"""Seeded random texts drawn across every Unicode general category.

Texts mix code points of every category (Unicode 16.0, from
varnel-engine/tests/data/tokens/categories.txt) with the characters the cl100k_base
pattern treats specially (apostrophes and contraction letters, CR, LF and other white
space, digits), so that random strings exercise every branch of the pre-tokeniser.
"""

import os
import random

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
CATEGORIES = os.path.join(ROOT, "varnel-engine", "tests", "data", "tokens", "categories.txt")

# Characters the pattern singles out; drawn far more often than their share of Unicode.
SPECIAL = (
    list("'''sStTmMdDrReEvVlL")
    + ["\u017f", "\u212a", "\u2019"]
    + list("     \t\n\n\r\r\x0b\x0c")
    + ["\r\n", "\x85", "\xa0", "\u1680", "\u2003", "\u2028", "\u2029", "\u202f", "\u3000"]
    + list("0123456789")
    + ["\u0660", "\u00b2", "\u2167", "\u0301", "\u200d", "\ufe0f"]
    + list("aA.,;:!?-_()[]{}<>|/\\\"`~@#$%^&*+=")
    + ["<|endoftext|>", "'s", "'LL", "'Re", "'vE", " '", "  ", "\n\n", " \n "]
)


def load_categories(path=CATEGORIES):
    """Maps each general category to its list of (first, last) code point ranges."""
    categories = {}
    with open(path, encoding="ascii") as source:
        for line in source:
            if line.startswith("#") or not line.strip():
                continue
            name, *spans = line.split()
            ranges = []
            for span in spans:
                first, _, last = span.partition("-")
                ranges.append((int(first, 16), int(last or first, 16)))
            categories[name] = ranges
    return categories


class TextSource:
    def __init__(self, seed, categories=None):
        self.rng = random.Random(seed)
        # Surrogates cannot appear in UTF-8 text.
        table = categories if categories is not None else load_categories()
        self.categories = sorted((name, ranges) for name, ranges in table.items() if name != "Cs")

    def code_point(self, category_ranges):
        sizes = [last - first + 1 for first, last in category_ranges]
        first, last = self.rng.choices(category_ranges, weights=sizes)[0]
        return chr(self.rng.randint(first, last))

    def unit(self):
        """One character or short string: a category drawn uniformly, or a special one."""
        rng = self.rng
        if rng.random() < 0.45:
            return rng.choice(SPECIAL)
        _, ranges = rng.choice(self.categories)
        text = self.code_point(ranges)
        if rng.random() < 0.1:
            text *= rng.randint(2, 6)
        return text

    def text(self, max_units=40):
        return "".join(self.unit() for _ in range(self.rng.randint(1, max_units)))

    def texts(self, count, max_units=40):
        return [self.text(max_units) for _ in range(count)]
