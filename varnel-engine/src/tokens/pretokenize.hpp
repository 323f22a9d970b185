#pragma once
// The cl100k_base pre-tokenisation: the text is cut into pieces as the published pattern
//   (?i:'s|'t|'re|'ve|'m|'ll|'d)|[^\r\n\p{L}\p{N}]?\p{L}+|\p{N}{1,3}| ?[^\s\p{L}\p{N}]+[\r\n]*|
//   \s*[\r\n]+|\s+(?!\S)|\s+
// cuts it, each piece being the pattern's leftmost-first match at the end of the previous one.

#include <cstddef>
#include <string_view>

namespace varnel::tokens {

// Returns the end of the piece that starts at `pos` (pos < text.size()): a position in
// (pos, text.size()], so that successive pieces tile the whole text. Any bytes are
// accepted: a byte that starts no well-formed UTF-8 sequence is a character of its own,
// neither letter, number nor space.
size_t piece_end(std::string_view text, size_t pos);

}  // namespace varnel::tokens
