#include <gtest/gtest.h>

#include <memory>
#include <random>
#include <string>
#include <vector>

#include "tokens/bpe.hpp"
#include "tokens/encoder.hpp"
#include "tokens/pretokenize.hpp"

namespace varnel::tokens {
namespace {

std::vector<std::string> pieces(std::string_view text) {
  std::vector<std::string> out;
  for (size_t pos = 0; pos < text.size();) {
    const size_t end = piece_end(text, pos);
    out.emplace_back(text.substr(pos, end - pos));
    pos = end;
  }
  return out;
}

TEST(TokensPretokenizeTest, CutsAsThePatternDoes) {
  struct Case {
    std::string text;
    std::vector<std::string> pieces;
  } cases[] = {
      {"hello world", {"hello", " world"}},
      // White space: the last space of a run before a non-space starts the next piece; a run
      // holding CR or LF ends after its last one.
      {"today\n ", {"today", "\n", " "}},
      {"today\n \n", {"today", "\n \n"}},
      {"today\n  \n", {"today", "\n  \n"}},
      {"a  b", {"a", " ", " b"}},
      {"a   ", {"a", "   "}},
      {"\t\tx", {"\t", "\tx"}},
      {"x \n y", {"x", " \n", " y"}},
      {"\r\n\r\n", {"\r\n\r\n"}},
      {" \xC2\xA0x", {" ", "\xC2\xA0x"}},                   // no-break space before a letter
      {"1\xE2\x80\xA8\xE2\x80\xA8", {"1", "\xE2\x80\xA8\xE2\x80\xA8"}},  // U+2028 is no newline
      {" 123", {" ", "123"}},
      // Contractions, in any case; U+017F folds to s.
      {"DON'T", {"DON", "'T"}},
      {"We'Ll", {"We", "'Ll"}},
      {"'sx", {"'s", "x"}},
      {"'\xC5\xBFx", {"'\xC5\xBF", "x"}},
      {"'llama", {"'ll", "ama"}},
      {"'x", {"'x"}},
      {"''s", {"''", "s"}},
      {"\xE2\x80\x99sx", {"\xE2\x80\x99sx"}},               // only U+0027 starts a contraction
      // Numbers in threes, letters with one leading non-letter.
      {"12345", {"123", "45"}},
      {"x\xC2\xB2\xC2\xB3\xE2\x81\xB4", {"x", "\xC2\xB2\xC2\xB3\xE2\x81\xB4"}},
      {"a+b", {"a", "+b"}},
      {"e\xCC\x81x", {"e", "\xCC\x81x"}},                  // a combining mark is no letter
      {" !!\n\nx", {" !!\n\n", "x"}},
      {"<|endoftext|>", {"<|", "endoftext", "|>"}},
      // Ill-formed UTF-8: each stray byte is a character of its own, never a letter.
      {"ab\xFF" "cd", {"ab", "\xFF" "cd"}},
      {"a\xE2\x82", {"a", "\xE2\x82"}},
      {"\xED\xA0\x80 x", {"\xED\xA0\x80", " x"}},
      {"\xC0\xAF" "1", {"\xC0\xAF", "1"}},
  };
  for (const auto& c : cases) EXPECT_EQ(pieces(c.text), c.pieces) << testing::PrintToString(c.text);
}

// Strings of bytes chosen to hit every branch, ill-formed sequences and truncations included.
std::string random_bytes(std::mt19937& rng, size_t max_size) {
  static const std::vector<std::string> units = {
      "a", "Z", "s", "'", "'", "7", " ", " ", "\t", "\r", "\n", "!", "_", "\xC5\xBF", "\xC3\xA9",
      "\xE4\xB8\xAD", "\xF0\x9F\x98\x80", "\xE2\x80\xA8", "\xC2\xA0", "\xD9\xA3", "\xCC\x81",
      "\xFF", "\xC3", "\xE4\xB8", "\xF0\x9F\x98", "\x80", "\xED\xA0\x80", "\xF4\x90\x80\x80", "\0"};
  std::string out;
  const size_t size = std::uniform_int_distribution<size_t>(0, max_size)(rng);
  while (out.size() < size) out += units[std::uniform_int_distribution<size_t>(0, units.size() - 1)(rng)];
  return out;
}

TEST(TokensPretokenizeTest, PiecesTileAnyBytesWithoutReadingPastThem) {
  std::mt19937 rng(7);
  for (int round = 0; round < 20000; ++round) {
    const std::string text = random_bytes(rng, 60);
    // An exact-size heap copy, so that the address sanitizer sees any read past the end.
    const auto exact = std::make_unique<char[]>(text.size() + (text.empty() ? 1 : 0));
    std::copy(text.begin(), text.end(), exact.get());
    const std::string_view view(exact.get(), text.size());
    size_t covered = 0;
    uint64_t piece_counts = 0;
    while (covered < view.size()) {
      const size_t end = piece_end(view, covered);
      ASSERT_GT(end, covered) << testing::PrintToString(text);
      ASSERT_LE(end, view.size()) << testing::PrintToString(text);
      piece_counts += count_piece_tokens(*shared_encoder(), view.substr(covered, end - covered));
      covered = end;
    }
    // Counting sees every piece: nothing after an ill-formed byte is dropped.
    EXPECT_EQ(count_tokens_with(shared_encoder(), view), std::max<uint64_t>(1, piece_counts))
        << testing::PrintToString(text);
  }
}

}  // namespace
}  // namespace varnel::tokens
