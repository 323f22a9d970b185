"""The reference cl100k_base encoder that token counts are checked against.

It is tiktoken (in the CPython environment only), loaded without network from the
committed rank file with the published pattern and special tokens. `load()` returns
None where tiktoken is not installed (the PyPy environment).
"""

import os

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
RANK_FILE = os.path.join(ROOT, "varnel-engine", "data", "cl100k_base.tiktoken")
RANK_FILE_SHA256 = "223921b76ee99bde995b7ff738513eef100fb51d18c93597a113bcffe865b2a7"
PATTERN = (
    r"""(?i:'s|'t|'re|'ve|'m|'ll|'d)|[^\r\n\p{L}\p{N}]?\p{L}+|\p{N}{1,3}| ?[^\s\p{L}\p{N}]+[\r\n]*"""
    r"""|\s*[\r\n]+|\s+(?!\S)|\s+"""
)
SPECIAL_TOKENS = {
    "<|endoftext|>": 100257,
    "<|fim_prefix|>": 100258,
    "<|fim_middle|>": 100259,
    "<|fim_suffix|>": 100260,
    "<|endofprompt|>": 100276,
}


def load():
    try:
        import tiktoken
        from tiktoken.load import load_tiktoken_bpe
    except ImportError:
        return None
    ranks = load_tiktoken_bpe(RANK_FILE, expected_hash=RANK_FILE_SHA256)
    return tiktoken.Encoding(
        "cl100k_base", pat_str=PATTERN, mergeable_ranks=ranks, special_tokens=SPECIAL_TOKENS
    )


def count(encoding, text):
    """The count the engine must give: the ordinary encoding's length, at least 1."""
    return max(1, len(encoding.encode_ordinary(text)))
