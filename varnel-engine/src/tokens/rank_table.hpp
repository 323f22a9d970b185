#pragma once
// The cl100k_base rank table, read in place from the blob that scripts/make_rank_blob.py
// writes (its layout is described there). Building one only checks the blob, in one pass
// of about two milliseconds; nothing is parsed or copied.

#include <cstddef>
#include <cstdint>
#include <cstring>
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

  // The rank of the token whose bytes are exactly p[0, n), or kNoRank. Inline: it is
  // the inner loop of counting.
  [[gnu::always_inline]] uint32_t rank_of(const uint8_t* p, size_t n) const;
  uint32_t rank_of(std::string_view bytes) const {
    return rank_of(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
  }

  // The rank of the two-byte token a b, or kNoRank.
  uint32_t pair_rank(uint8_t a, uint8_t b) const {
    uint32_t rank;
    std::memcpy(&rank, pairs_ + 4 * (size_t(a) << 8 | b), 4);
    return rank;
  }

  size_t size() const { return token_count_; }
  size_t max_token_size() const { return max_token_size_; }

 private:
  RankTable() = default;

  const uint8_t* buckets_ = nullptr;
  const uint8_t* pairs_ = nullptr;
  const uint8_t* tails_ = nullptr;
  uint32_t token_count_ = 0;
  uint32_t bucket_mask_ = 0;
  uint32_t max_token_size_ = 0;
};

namespace detail {

inline constexpr uint32_t kRankBits = 17;
inline constexpr uint32_t kRankMask = (1u << kRankBits) - 1;
inline constexpr size_t kEntrySize = 16, kBucketEntries = 4;

[[gnu::always_inline]] inline uint32_t load32(const uint8_t* p) {
  uint32_t v;
  std::memcpy(&v, p, 4);
  return v;
}

[[gnu::always_inline]] inline uint64_t load64(const uint8_t* p) {
  uint64_t v;
  std::memcpy(&v, p, 8);
  return v;
}

// The last 1..8 bytes of a string as a little-endian word padded with zeros, read without
// touching any byte outside p[0, n).
[[gnu::always_inline]] inline uint64_t load_tail(const uint8_t* p, size_t n) {
  if (n >= 4) {
    const uint64_t low = load32(p), high = load32(p + n - 4);
    return low | (high >> (8 * (8 - n)) << 32);
  }
  return uint64_t(p[0]) | uint64_t(p[n >> 1]) << (8 * (n >> 1)) | uint64_t(p[n - 1]) << (8 * (n - 1));
}

[[gnu::always_inline]] inline uint64_t mix(uint64_t h, uint64_t word) {
  h = (h ^ word) * 0xBF58476D1CE4E5B9;
  return h ^ (h >> 29);
}

// Equal iff a[0, n) == b[0, n); `a` may be read up to 8 bytes past n (the blob's tails are
// padded), `b` only inside.
[[gnu::always_inline]] inline bool tail_equal(const uint8_t* a, const uint8_t* b, size_t n) {
  size_t i = 0;
  for (; n - i > 8; i += 8) {
    if (load64(a + i) != load64(b + i)) return false;
  }
  const size_t rest = n - i;
  const uint64_t mask = rest == 8 ? ~uint64_t(0) : (uint64_t(1) << (8 * rest)) - 1;
  return ((load64(a + i) & mask) == load_tail(b + i, rest));
}

}  // namespace detail

inline uint32_t RankTable::rank_of(const uint8_t* p, size_t n) const {
  using namespace detail;
  if (n == 0 || n > max_token_size_) return kNoRank;
  // The hash must equal token_hash() of scripts/make_rank_blob.py: words of 8 bytes, the
  // last one zero-padded, mixed into a seed made from the length.
  const uint64_t head = n >= 8 ? load64(p) : load_tail(p, n);
  uint64_t h = mix(n * 0x9E3779B97F4A7C15, head);
  size_t i = 8;
  for (; n > i + 8; i += 8) h = mix(h, load64(p + i));
  if (n > i) h = mix(h, load_tail(p + i, n - i));
  h *= 0x94D049BB133111EB;
  h ^= h >> 32;

  const uint32_t want = uint32_t(n - 1) << kRankBits;
  for (uint32_t b = uint32_t(h) & bucket_mask_;; b = (b + 1) & bucket_mask_) {
    const uint8_t* entry = buckets_ + kEntrySize * kBucketEntries * size_t(b);
    for (size_t k = 0; k < kBucketEntries; ++k, entry += kEntrySize) {
      const uint32_t meta = load32(entry + 8);
      if (meta == 0) return kNoRank;
      if ((meta & ~kRankMask) == want && load64(entry) == head &&
          (n <= 8 || tail_equal(tails_ + load32(entry + 12), p + 8, n - 8))) {
        return (meta & kRankMask) - 1;
      }
    }
  }
}

}  // namespace varnel::tokens
