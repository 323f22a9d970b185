#pragma once
// The cl100k_base rank table, read in place from the blob that scripts/make_rank_blob.py
// writes (its layout is described there). Building one only checks the blob, so a table
// over the embedded blob costs no parsing and no allocation.

#include <cstddef>
#include <cstdint>
#include <expected>
#include <span>
#include <string>
#include <string_view>

namespace varnel::tokens {

inline constexpr uint32_t kNoRank = 0xFFFFFFFF;

// Why a blob is not a usable table.
struct RankTableError {
  enum class Kind { Truncated, BadHeader, BadLayout };
  Kind kind;
  std::string detail;

  std::string display() const;
};

class RankTable {
 public:
  // Checks `blob` thoroughly enough that no lookup can read outside it or loop forever.
  // The table refers to `blob`, which must outlive it.
  static std::expected<RankTable, RankTableError> from_blob(std::span<const std::byte> blob);

  // The rank of the token whose bytes are exactly p[0, n), or kNoRank.
  uint32_t rank_of(const uint8_t* p, size_t n) const;
  uint32_t rank_of(std::string_view bytes) const {
    return rank_of(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
  }

  // The rank of the two-byte token a b, or kNoRank.
  uint32_t pair_rank(uint8_t a, uint8_t b) const;

  size_t size() const { return token_count_; }
  size_t max_token_size() const { return max_token_size_; }
  std::string_view token(uint32_t rank) const;  // rank < size()

 private:
  RankTable() = default;
  uint32_t offset(uint32_t rank) const;

  const uint8_t* offsets_ = nullptr;
  const uint8_t* slots_ = nullptr;
  const uint8_t* pairs_ = nullptr;
  const uint8_t* bytes_ = nullptr;
  uint32_t token_count_ = 0;
  uint32_t slot_mask_ = 0;
  uint32_t max_token_size_ = 0;
};

}  // namespace varnel::tokens
