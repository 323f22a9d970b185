#pragma once
// Text helpers shared by every unit that turns program output into values.

#include <string>
#include <string_view>

namespace varnel {

// Returns `bytes` as valid UTF-8: each maximal invalid subsequence becomes U+FFFD,
// the way a lossy decoder replaces it (one replacement per ill-formed subpart).
std::string lossy_utf8(std::string_view bytes);

// Returns true iff `bytes` is well-formed UTF-8.
bool is_valid_utf8(std::string_view bytes);

// Returns `text` without leading and trailing Unicode White_Space characters.
std::string_view trim(std::string_view text);
std::string_view trim_start(std::string_view text);
std::string_view trim_end(std::string_view text);

}  // namespace varnel
