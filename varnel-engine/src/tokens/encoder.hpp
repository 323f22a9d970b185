#pragma once
// The process-wide cl100k_base encoder behind count_tokens.

#include <cstdint>
#include <span>
#include <string_view>

#include "tokens/rank_table.hpp"

namespace varnel::tokens {

// The rank table compiled into the library.
std::span<const std::byte> embedded_cl100k_blob();

// The encoder built on first use from the embedded table, or nullptr when it cannot be
// built. Thread-safe; the outcome never changes afterwards.
const RankTable* shared_encoder();

// The count of `text` under `encoder`: the ordinary encoding's token count, at least 1,
// or the byte-length estimate when `encoder` is null.
uint64_t count_tokens_with(const RankTable* encoder, std::string_view text);

}  // namespace varnel::tokens
