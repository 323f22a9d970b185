#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <fstream>
#include <random>
#include <string>
#include <unordered_map>
#include <vector>

#include "tokens/encoder.hpp"
#include "tokens/rank_table.hpp"

namespace varnel::tokens {
namespace {

std::string base64_decode(std::string_view in) {
  std::string out;
  uint32_t acc = 0;
  int bits = 0;
  for (const char c : in) {
    const char* digits = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    const char* at = c ? std::strchr(digits, c) : nullptr;
    if (!at) continue;  // padding
    acc = acc << 6 | uint32_t(at - digits);
    bits += 6;
    if (bits >= 8) {
      bits -= 8;
      out += char((acc >> bits) & 0xFF);
    }
  }
  return out;
}

// The published rank file, read the slow way.
std::unordered_map<std::string, uint32_t> published_ranks() {
  std::ifstream in(std::string(VARNEL_SOURCE_DIR) + "/varnel-engine/data/cl100k_base.tiktoken");
  std::unordered_map<std::string, uint32_t> ranks;
  std::string token;
  uint32_t rank;
  while (in >> token >> rank) ranks.emplace(base64_decode(token), rank);
  return ranks;
}

const RankTable& embedded() {
  const RankTable* table = shared_encoder();
  if (!table) throw std::runtime_error("the embedded table did not build");
  return *table;
}

TEST(TokensRankTableTest, EmbeddedTableHoldsExactlyThePublishedRanks) {
  const auto ranks = published_ranks();
  ASSERT_EQ(ranks.size(), 100256u);
  const RankTable& table = embedded();
  ASSERT_EQ(table.size(), ranks.size());
  size_t longest = 0;
  for (const auto& [bytes, rank] : ranks) {
    ASSERT_EQ(table.rank_of(bytes), rank) << testing::PrintToString(bytes);
    longest = std::max(longest, bytes.size());
  }
  EXPECT_EQ(table.max_token_size(), longest);
  for (int a = 0; a < 256; ++a) {
    for (int b = 0; b < 256; ++b) {
      const std::string pair{char(a), char(b)};
      const auto it = ranks.find(pair);
      ASSERT_EQ(table.pair_rank(uint8_t(a), uint8_t(b)), it == ranks.end() ? kNoRank : it->second);
    }
  }
  // Strings that are not tokens: near misses of real tokens, and random bytes.
  std::mt19937 rng(3);
  size_t misses = 0;
  for (const auto& [bytes, rank] : ranks) {
    for (const std::string& probe : {bytes + "\x01", bytes.substr(1), "\xFF" + bytes}) {
      const auto it = ranks.find(probe);
      ASSERT_EQ(table.rank_of(probe), it == ranks.end() ? kNoRank : it->second) << testing::PrintToString(probe);
      misses += it == ranks.end();
    }
  }
  EXPECT_GT(misses, 100000u);
  EXPECT_EQ(table.rank_of(""), kNoRank);
  EXPECT_EQ(table.rank_of(std::string(table.max_token_size() + 1, ' ')), kNoRank);
}

std::vector<std::byte> embedded_copy() {
  const auto blob = embedded_cl100k_blob();
  return {blob.begin(), blob.end()};
}

void put32(std::vector<std::byte>& blob, size_t at, uint32_t value) { std::memcpy(blob.data() + at, &value, 4); }
uint32_t get32(const std::vector<std::byte>& blob, size_t at) {
  uint32_t v;
  std::memcpy(&v, blob.data() + at, 4);
  return v;
}

TEST(TokensRankTableTest, DamagedBlobsAreRejected) {
  const std::vector<std::byte> good = embedded_copy();
  ASSERT_TRUE(RankTable::from_blob(good).has_value());
  const uint32_t tokens = get32(good, 12), bucket_bits = get32(good, 16), tail_size = get32(good, 24);
  const size_t entries = 64, entry_count = size_t(4) << bucket_bits, pairs = entries + 16 * entry_count;
  // The offset of the first entry that satisfies `want`, given its meta word and position.
  const auto find_entry = [&](auto want) {
    for (size_t e = 0; e < entry_count; ++e) {
      if (want(get32(good, entries + 16 * e + 8), e)) return entries + 16 * e;
    }
    throw std::runtime_error("no such entry");
  };
  const auto size_of = [](uint32_t meta) { return (meta >> 17) + 1; };
  const size_t used = find_entry([](uint32_t meta, size_t) { return meta != 0; });
  const size_t free_after_used = find_entry([&](uint32_t meta, size_t e) {
    return meta == 0 && e % 4 != 0 && get32(good, entries + 16 * (e - 1) + 8) != 0;
  });
  const size_t short_token = find_entry([&](uint32_t meta, size_t) { return meta && size_of(meta) < 8; });
  const size_t long_token = find_entry([&](uint32_t meta, size_t) { return meta && size_of(meta) > 8; });
  const size_t bucket_start = find_entry([&](uint32_t meta, size_t e) {
    return meta && e % 4 == 0 && get32(good, entries + 16 * (e + 1) + 8) != 0;
  });
  using Kind = RankTableError::Kind;
  struct Case {
    const char* what;
    std::function<void(std::vector<std::byte>&)> damage;
    Kind kind;
  } cases[] = {
      {"empty", [](auto& b) { b.clear(); }, Kind::Truncated},
      {"one byte short", [](auto& b) { b.pop_back(); }, Kind::Truncated},
      {"one byte long", [](auto& b) { b.push_back(std::byte{0}); }, Kind::Truncated},
      {"magic", [](auto& b) { b[0] = std::byte{'X'}; }, Kind::BadHeader},
      {"version", [](auto& b) { put32(b, 8, 1); }, Kind::BadHeader},
      {"token count", [](auto& b) { put32(b, 12, 1u << 20); }, Kind::BadHeader},
      {"bucket bits", [](auto& b) { put32(b, 16, 40); }, Kind::BadHeader},
      {"max token size", [](auto& b) { put32(b, 20, 0); }, Kind::BadHeader},
      {"rank out of range", [&](auto& b) { put32(b, used + 8, (get32(b, used + 8) & ~0x1FFFFu) | (tokens + 5)); },
       Kind::BadLayout},
      {"rank twice", [&](auto& b) { std::copy_n(b.begin() + used, 16, b.begin() + free_after_used); },
       Kind::BadLayout},
      {"head not padded", [&](auto& b) { b[short_token + 7] = std::byte{1}; }, Kind::BadLayout},
      {"tail past the tails", [&](auto& b) { put32(b, long_token + 12, tail_size); }, Kind::BadLayout},
      {"gap in a bucket", [&](auto& b) { put32(b, bucket_start + 8, 0); }, Kind::BadLayout},
      {"pair rank out of range", [&](auto& b) { put32(b, pairs + 4 * 97, tokens); }, Kind::BadLayout},
  };
  for (const auto& c : cases) {
    std::vector<std::byte> blob = good;
    c.damage(blob);
    const auto table = RankTable::from_blob(blob);
    ASSERT_FALSE(table.has_value()) << c.what;
    EXPECT_EQ(table.error().kind, c.kind) << c.what << ": " << table.error().display();
  }
}

}  // namespace
}  // namespace varnel::tokens
