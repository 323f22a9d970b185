#include <algorithm>
#include <optional>

#include "tokens/bpe.hpp"
#include "tokens/encoder.hpp"
#include "tokens/pretokenize.hpp"
#include "varnel/engine/tokens.hpp"

namespace varnel {

uint64_t byte_length_estimate(std::string_view text) { return std::max<uint64_t>(1, text.size() / 3); }

uint64_t count_tokens(std::string_view text) { return tokens::count_tokens_with(tokens::shared_encoder(), text); }

namespace tokens {

const RankTable* shared_encoder() {
  // A failed build is not reported nor retried: counting falls back to the estimate.
  static const std::optional<RankTable> encoder = [] {
    auto built = RankTable::from_blob(embedded_cl100k_blob());
    return built ? std::optional<RankTable>(*built) : std::nullopt;
  }();
  return encoder ? &*encoder : nullptr;
}

uint64_t count_tokens_with(const RankTable* encoder, std::string_view text) {
  if (!encoder) return byte_length_estimate(text);
  uint64_t count = 0;
  for (size_t pos = 0; pos < text.size();) {
    const size_t end = piece_end(text, pos);
    count += count_piece_tokens(*encoder, text.substr(pos, end - pos));
    pos = end;
  }
  return std::max<uint64_t>(1, count);
}

}  // namespace tokens
}  // namespace varnel
