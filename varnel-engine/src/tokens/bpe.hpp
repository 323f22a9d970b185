#pragma once
// Byte-pair merging of one piece: starting from single bytes, the adjacent pair whose
// concatenation has the lowest rank is merged (the leftmost on ties) until no adjacent pair
// is a token. Only the number of tokens left is needed, so no ranks are produced.

#include <cstdint>
#include <string_view>

#include "tokens/rank_table.hpp"

namespace varnel::tokens {

// The number of tokens of `piece`: 1 when it is a token itself, else the merge's result.
uint64_t count_piece_tokens(const RankTable& table, std::string_view piece);

// The two merge strategies count_piece_tokens chooses between by length; both give the
// same count on every piece. The scan is quadratic and cheap on short pieces; the queue
// keeps long pieces (a megabyte of one letter) near linear.
uint64_t merge_count_scan(const RankTable& table, std::string_view piece);
uint64_t merge_count_queue(const RankTable& table, std::string_view piece);

}  // namespace varnel::tokens
