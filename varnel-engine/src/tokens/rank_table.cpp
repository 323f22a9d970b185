#include "tokens/rank_table.hpp"

#include <bit>
#include <cstring>

#include <fmt/format.h>

namespace varnel::tokens {
namespace {

// The blob is little-endian and need not be aligned: every word is read through memcpy,
// which compiles to a plain load.
static_assert(std::endian::native == std::endian::little, "the rank blob is little-endian");

constexpr char kMagic[8] = {'V', 'N', 'C', 'L', '1', '0', '0', 'K'};
constexpr uint32_t kVersion = 1;
constexpr size_t kHeaderSize = 32;
constexpr size_t kPairCount = 65536;
constexpr size_t kPadding = 8;
constexpr uint32_t kRankBits = 17, kSizeBits = 7;
constexpr uint32_t kRankMask = (1u << kRankBits) - 1;
constexpr uint32_t kMaxSlotBits = 24;

uint32_t load32(const uint8_t* p) {
  uint32_t v;
  std::memcpy(&v, p, 4);
  return v;
}

uint64_t load64(const uint8_t* p) {
  uint64_t v;
  std::memcpy(&v, p, 8);
  return v;
}

// The last 1..8 bytes of a string as a little-endian word padded with zeros, read without
// touching any byte outside p[0, n).
uint64_t load_tail(const uint8_t* p, size_t n) {
  if (n >= 4) {
    const uint64_t low = load32(p), high = load32(p + n - 4);
    return low | (high >> (8 * (8 - n)) << 32);
  }
  return uint64_t(p[0]) | uint64_t(p[n >> 1]) << (8 * (n >> 1)) | uint64_t(p[n - 1]) << (8 * (n - 1));
}

constexpr uint64_t kK0 = 0x9E3779B97F4A7C15, kK1 = 0xBF58476D1CE4E5B9, kK2 = 0x94D049BB133111EB;

// Must equal token_hash() of scripts/make_rank_blob.py.
uint64_t token_hash(const uint8_t* p, size_t n) {
  uint64_t h = n * kK0;
  size_t i = 0;
  for (; n - i > 8; i += 8) {
    h = (h ^ load64(p + i)) * kK1;
    h ^= h >> 29;
  }
  h = (h ^ load_tail(p + i, n - i)) * kK1;
  h ^= h >> 29;
  h *= kK2;
  return h ^ (h >> 32);
}

RankTableError layout_error(std::string detail) { return {RankTableError::Kind::BadLayout, std::move(detail)}; }

}  // namespace

std::string RankTableError::display() const {
  const char* what = kind == Kind::Truncated ? "truncated" : kind == Kind::BadHeader ? "bad header" : "bad layout";
  return fmt::format("rank table {}: {}", what, detail);
}

std::expected<RankTable, RankTableError> RankTable::from_blob(std::span<const std::byte> blob) {
  const auto* base = reinterpret_cast<const uint8_t*>(blob.data());
  if (blob.size() < kHeaderSize) return std::unexpected(RankTableError{RankTableError::Kind::Truncated, "no header"});
  if (std::memcmp(base, kMagic, sizeof kMagic) != 0 || load32(base + 8) != kVersion) {
    return std::unexpected(RankTableError{RankTableError::Kind::BadHeader, "not a version 1 cl100k table"});
  }
  const uint32_t token_count = load32(base + 12), slot_bits = load32(base + 16), max_size = load32(base + 20),
                 bytes_size = load32(base + 24);
  if (token_count < 256 || token_count > kRankMask - 1 || slot_bits > kMaxSlotBits ||
      (uint64_t(1) << slot_bits) <= token_count || max_size == 0 || max_size > (1u << kSizeBits)) {
    return std::unexpected(RankTableError{RankTableError::Kind::BadHeader, "sizes out of range"});
  }
  const uint64_t slot_count = uint64_t(1) << slot_bits;
  const uint64_t expected =
      kHeaderSize + 4 * (uint64_t(token_count) + 1) + 4 * slot_count + 4 * kPairCount + bytes_size + kPadding;
  if (blob.size() != expected) {
    return std::unexpected(RankTableError{RankTableError::Kind::Truncated,
                                          fmt::format("{} bytes where the header needs {}", blob.size(), expected)});
  }

  RankTable table;
  table.offsets_ = base + kHeaderSize;
  table.slots_ = table.offsets_ + 4 * (size_t(token_count) + 1);
  table.pairs_ = table.slots_ + 4 * slot_count;
  table.bytes_ = table.pairs_ + 4 * kPairCount;
  table.token_count_ = token_count;
  table.slot_mask_ = uint32_t(slot_count - 1);
  table.max_token_size_ = max_size;

  if (table.offset(0) != 0 || table.offset(token_count) != bytes_size) return std::unexpected(layout_error("offsets"));
  for (uint32_t r = 0; r < token_count; ++r) {
    const uint32_t size = table.offset(r + 1) - table.offset(r);
    if (table.offset(r + 1) <= table.offset(r) || size > max_size) {
      return std::unexpected(layout_error(fmt::format("token {} has no valid extent", r)));
    }
  }
  // Every slot names a rank and records its size, and one slot at least is empty, so that
  // every probe ends and compares only bytes inside the blob. Whether each token is found
  // under its own rank is the generator's business, checked by the tests.
  size_t filled = 0, empty = 0;
  for (uint64_t i = 0; i < slot_count; ++i) {
    const uint32_t slot = load32(table.slots_ + 4 * i);
    if (slot == 0) {
      ++empty;
      continue;
    }
    const uint32_t rank = (slot & kRankMask) - 1;
    if ((slot & kRankMask) == 0 || rank >= token_count ||
        ((slot >> kRankBits) & ((1u << kSizeBits) - 1)) + 1 != table.offset(rank + 1) - table.offset(rank)) {
      return std::unexpected(layout_error(fmt::format("slot {}", i)));
    }
    ++filled;
  }
  if (filled != token_count || empty == 0) return std::unexpected(layout_error("slot count"));
  for (size_t i = 0; i < kPairCount; ++i) {
    const uint32_t rank = load32(table.pairs_ + 4 * i);
    if (rank != kNoRank && rank >= token_count) return std::unexpected(layout_error(fmt::format("pair {}", i)));
  }
  for (int b = 0; b < 256; ++b) {
    const uint8_t byte = uint8_t(b);
    if (table.rank_of(&byte, 1) == kNoRank) return std::unexpected(layout_error(fmt::format("byte {} is no token", b)));
  }
  return table;
}

uint32_t RankTable::offset(uint32_t rank) const { return load32(offsets_ + 4 * size_t(rank)); }

std::string_view RankTable::token(uint32_t rank) const {
  const uint32_t begin = offset(rank);
  return {reinterpret_cast<const char*>(bytes_) + begin, offset(rank + 1) - begin};
}

uint32_t RankTable::pair_rank(uint8_t a, uint8_t b) const { return load32(pairs_ + 4 * (size_t(a) << 8 | b)); }

uint32_t RankTable::rank_of(const uint8_t* p, size_t n) const {
  if (n == 0 || n > max_token_size_) return kNoRank;
  const uint64_t h = token_hash(p, n);
  const uint32_t want = uint32_t(n - 1) << kRankBits | uint32_t(h >> 56) << 24;
  for (uint32_t i = uint32_t(h) & slot_mask_;; i = (i + 1) & slot_mask_) {
    const uint32_t slot = load32(slots_ + 4 * size_t(i));
    if (slot == 0) return kNoRank;
    if ((slot & ~kRankMask) != want) continue;
    const uint32_t rank = (slot & kRankMask) - 1;
    if (std::memcmp(bytes_ + offset(rank), p, n) == 0) return rank;
  }
}

}  // namespace varnel::tokens
