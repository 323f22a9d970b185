#pragma once
// Token estimates: the cl100k_base ordinary encoding, never below 1.

#include <cstdint>
#include <string_view>

namespace varnel {

// The number of cl100k_base tokens of `text` (special-token strings count as ordinary
// text), at least 1. Never fails; safe to call from any thread.
uint64_t count_tokens(std::string_view text);

// The estimate used when no encoder can be built: max(1, bytes / 3).
uint64_t byte_length_estimate(std::string_view text);

}  // namespace varnel
