#include <gtest/gtest.h>

#include <random>
#include <string>

#include "tokens/bpe.hpp"
#include "tokens/encoder.hpp"
#include "tokens/merge_queue.hpp"

namespace varnel::tokens {
namespace {

// Pieces whose merges tie often (repeats) or go deep (long words), and plain noise.
std::string random_piece(std::mt19937& rng) {
  static const std::string alphabets[] = {"ab", "x", "=-", "0123456789", "etaoinshrdlu", "\xE4\xB8\xAD\xE6\x96\x87",
                                          "\x80\x81\xC3\xFF"};
  const std::string& alphabet = alphabets[rng() % std::size(alphabets)];
  const size_t size = 2 + rng() % (rng() % 8 ? 40 : 400);
  std::string out;
  while (out.size() < size) out += alphabet[rng() % alphabet.size()];
  return out;
}

TEST(TokensBpeTest, ScanAndQueueMergesAgree) {
  const RankTable& table = *shared_encoder();
  std::mt19937 rng(11);
  for (int round = 0; round < 5000; ++round) {
    const std::string piece = random_piece(rng);
    ASSERT_EQ(merge_count_queue(table, piece), merge_count_scan(table, piece)) << testing::PrintToString(piece);
  }
}

TEST(TokensBpeTest, MergeQueuePopsTheLeastRankThenTheLeftmostStart) {
  MergeQueue<uint32_t> queue;
  std::vector<std::pair<uint32_t, uint32_t>> popped;
  const auto pop = [&] {
    uint32_t rank, start;
    if (!queue.pop(rank, start)) return false;
    popped.emplace_back(rank, start);
    return true;
  };
  const std::vector<std::pair<uint32_t, uint32_t>> pushed = {{7, 10}, {7, 3}, {2, 8}, {7, 1}, {900, 0}};
  for (const auto& [rank, start] : pushed) queue.push(rank, start);
  ASSERT_TRUE(pop());
  ASSERT_TRUE(pop());
  queue.push(7, 2);  // into a bucket being drained, before what is left of it
  queue.push(1, 50);
  while (pop()) {
  }
  const std::vector<std::pair<uint32_t, uint32_t>> expected = {{2, 8}, {7, 1}, {1, 50}, {7, 2},
                                                               {7, 3}, {7, 10}, {900, 0}};
  EXPECT_EQ(popped, expected);
  queue.push(4, 4);  // usable again once empty
  ASSERT_TRUE(pop());
  EXPECT_EQ(popped.back(), std::make_pair(4u, 4u));
}

TEST(TokensBpeTest, PieceCounts) {
  const RankTable& table = *shared_encoder();
  struct Case {
    std::string piece;
    uint64_t count;
  } cases[] = {
      {"x", 1},
      {" world", 1},                   // a token
      {"\xFF", 1},                     // every byte is a token
      {"\xFF\xFF", 2},                 // no pair of them is
      {std::string(8, 'x'), 1},
      {std::string(9, 'x'), 2},
      {std::string(200, 'x'), 25},     // long enough for the queue
  };
  for (const auto& c : cases) EXPECT_EQ(count_piece_tokens(table, c.piece), c.count) << c.piece;
}

}  // namespace
}  // namespace varnel::tokens
