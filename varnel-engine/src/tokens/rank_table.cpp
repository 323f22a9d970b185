#include "tokens/rank_table.hpp"

#include <bit>
#include <vector>

#include <fmt/format.h>

namespace varnel::tokens {
namespace {

// The blob is little-endian and need not be aligned: every word is read through memcpy,
// which compiles to a plain load.
static_assert(std::endian::native == std::endian::little, "the rank blob is little-endian");

constexpr char kMagic[8] = {'V', 'N', 'C', 'L', '1', '0', '0', 'K'};
constexpr uint32_t kVersion = 2;
constexpr size_t kHeaderSize = 64;  // buckets start on a cache line
using detail::kBucketEntries;
using detail::kEntrySize;
constexpr size_t kBucketSize = kEntrySize * kBucketEntries;
constexpr size_t kPairCount = 65536;
constexpr size_t kPadding = 8;
using detail::kRankBits;
using detail::kRankMask;
constexpr uint32_t kSizeBits = 7;
constexpr uint32_t kMaxBucketBits = 22;

using detail::load32;
using detail::load64;

RankTableError error(RankTableError::Kind kind, std::string detail) { return {kind, std::move(detail)}; }

}  // namespace

std::string RankTableError::display() const {
  const char* what = kind == Kind::Truncated ? "truncated" : kind == Kind::BadHeader ? "bad header" : "bad layout";
  return fmt::format("rank table {}: {}", what, detail);
}

std::expected<RankTable, RankTableError> RankTable::from_blob(std::span<const std::byte> blob) {
  using Kind = RankTableError::Kind;
  const auto* base = reinterpret_cast<const uint8_t*>(blob.data());
  if (blob.size() < kHeaderSize) return std::unexpected(error(Kind::Truncated, "no header"));
  if (std::memcmp(base, kMagic, sizeof kMagic) != 0 || load32(base + 8) != kVersion) {
    return std::unexpected(error(Kind::BadHeader, "not a version 2 cl100k table"));
  }
  const uint32_t token_count = load32(base + 12), bucket_bits = load32(base + 16), max_size = load32(base + 20),
                 tail_size = load32(base + 24);
  if (token_count < 256 || token_count > kRankMask - 1 || bucket_bits > kMaxBucketBits ||
      (uint64_t(kBucketEntries) << bucket_bits) <= token_count || max_size == 0 || max_size > (1u << kSizeBits)) {
    return std::unexpected(error(Kind::BadHeader, "sizes out of range"));
  }
  const uint64_t bucket_count = uint64_t(1) << bucket_bits;
  const uint64_t expected = kHeaderSize + kBucketSize * bucket_count + 4 * kPairCount + tail_size + kPadding;
  if (blob.size() != expected) {
    return std::unexpected(
        error(Kind::Truncated, fmt::format("{} bytes where the header needs {}", blob.size(), expected)));
  }

  RankTable table;
  table.buckets_ = base + kHeaderSize;
  table.pairs_ = table.buckets_ + kBucketSize * bucket_count;
  table.tails_ = table.pairs_ + 4 * kPairCount;
  table.token_count_ = token_count;
  table.bucket_mask_ = uint32_t(bucket_count - 1);
  table.max_token_size_ = max_size;

  // Every rank has one entry, whose tail lies inside the tails and whose head is padded
  // with zeros; some bucket has room, so that every probe ends.
  std::vector<bool> seen(token_count);
  size_t filled = 0;
  bool room = false;
  for (uint64_t b = 0; b < bucket_count; ++b) {
    const uint8_t* bucket = table.buckets_ + kBucketSize * b;
    for (size_t k = 0; k < kBucketEntries; ++k) {
      const uint8_t* entry = bucket + kEntrySize * k;
      const uint32_t meta = load32(entry + 8);
      if (meta == 0) {
        room = true;
        continue;
      }
      const uint32_t rank = (meta & kRankMask) - 1, size = (meta >> kRankBits) + 1;
      const uint64_t head = load64(entry), tail = load32(entry + 12);
      const bool bad = (meta & kRankMask) == 0 || rank >= token_count || seen[rank] || size > max_size ||
                       (size < 8 && head >> (8 * size) != 0) || (size > 8 && tail + (size - 8) > tail_size) ||
                       (k > 0 && load32(entry - kEntrySize + 8) == 0);  // entries fill a bucket in order
      if (bad) return std::unexpected(error(Kind::BadLayout, fmt::format("entry {} of bucket {}", k, b)));
      seen[rank] = true;
      ++filled;
    }
  }
  if (filled != token_count || !room) return std::unexpected(error(Kind::BadLayout, "entry count"));
  for (size_t i = 0; i < kPairCount; ++i) {
    const uint32_t rank = load32(table.pairs_ + 4 * i);
    if (rank != kNoRank && rank >= token_count) {
      return std::unexpected(error(Kind::BadLayout, fmt::format("pair {}", i)));
    }
  }
  for (int b = 0; b < 256; ++b) {
    const uint8_t byte = uint8_t(b);
    if (table.rank_of(&byte, 1) == kNoRank) {
      return std::unexpected(error(Kind::BadLayout, fmt::format("byte {} is no token", b)));
    }
  }
  return table;
}

}  // namespace varnel::tokens
