#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "tokens/encoder.hpp"
#include "varnel/engine/tokens.hpp"

namespace varnel {
namespace {

const std::string kFixtures = std::string(VARNEL_SOURCE_DIR) + "/varnel-engine/tests/data/tokens/";

std::string read_file(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream out;
  out << in.rdbuf();
  return out.str();
}

struct FixtureCase {
  std::string label;
  std::string text;
  uint64_t count;
};

// Reads counts.txt (format: scripts/make_token_fixtures.py).
std::vector<FixtureCase> load_fixture_cases() {
  const std::string data = read_file(kFixtures + "counts.txt");
  std::vector<FixtureCase> cases;
  size_t pos = 0;
  while (pos < data.size()) {
    const size_t eol = data.find('\n', pos);
    if (eol == std::string::npos) break;
    std::istringstream line(data.substr(pos, eol - pos));
    pos = eol + 1;
    std::string first;
    line >> first;
    if (first.empty() || first[0] == '#') continue;
    FixtureCase c;
    c.count = std::stoull(first);
    size_t repeat = 0;
    std::string source;
    line >> repeat >> source;
    std::string unit;
    if (source == "inline") {
      size_t length = 0;
      line >> length;
      std::getline(line >> std::ws, c.label);
      unit = data.substr(pos, length);
      pos += length + 1;
    } else {
      c.label = source;
      unit = read_file(kFixtures + source);
      EXPECT_FALSE(unit.empty()) << source;
    }
    c.text.reserve(unit.size() * repeat);
    for (size_t i = 0; i < repeat; ++i) c.text += unit;
    cases.push_back(std::move(c));
  }
  return cases;
}

TEST(TokensTest, CountsEqualTheReferenceEncoderOnTheFixtureCorpus) {
  const auto cases = load_fixture_cases();
  ASSERT_GT(cases.size(), 100u) << "counts.txt was not read";
  size_t largest = 0;
  for (const auto& c : cases) {
    EXPECT_EQ(count_tokens(c.text), c.count) << c.label << " (" << c.text.size() << " bytes)";
    largest = std::max(largest, c.text.size());
  }
  EXPECT_GE(largest, 1000000u);
}

TEST(TokensTest, EdgeCases) {
  struct Case {
    std::string text;
    uint64_t count;
  } cases[] = {
      {"", 1},
      {"hello", 1},
      {"hello world", 2},
      {"<|endoftext|>", 7},  // ordinary text, not the special token
      {"today\n ", 3},
      {"today\n \n", 2},
      {"today\n  \n", 2},
      {"'RE", 1},
  };
  for (const auto& c : cases) EXPECT_EQ(count_tokens(c.text), c.count) << testing::PrintToString(c.text);
}

TEST(TokensTest, WithoutAnEncoderCountsAreTheByteLengthEstimate) {
  struct Case {
    std::string text;
    uint64_t count;
  } cases[] = {
      {"0123456789", 3},
      {"ab", 1},
      {"", 1},
      {"\xC3\xA9\xC3\xA9\xC3\xA9", 2},  // three two-byte characters: bytes, not characters, count
      {std::string(3000, 'x'), 1000},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(tokens::count_tokens_with(nullptr, c.text), c.count) << c.text.size() << " bytes";
    EXPECT_EQ(byte_length_estimate(c.text), c.count);
  }
  // The real encoder differs on the same texts: the fallback is not what count_tokens uses.
  EXPECT_EQ(count_tokens(std::string(3000, 'x')), 375u);
}

TEST(TokensTest, ConcurrentFirstCallsShareOneEncoder) {
  // Each test runs in a process of its own, so these threads race for the first build.
  const std::string text = read_file(kFixtures + "corpus/scripts.txt");
  std::vector<std::thread> threads;
  std::vector<uint64_t> counts(8);
  std::vector<const tokens::RankTable*> encoders(8);
  for (size_t i = 0; i < counts.size(); ++i) {
    threads.emplace_back([&, i] {
      counts[i] = count_tokens(text);
      encoders[i] = tokens::shared_encoder();
    });
  }
  for (auto& t : threads) t.join();
  ASSERT_NE(encoders[0], nullptr);
  const uint64_t expected = tokens::count_tokens_with(encoders[0], text);
  EXPECT_GT(expected, byte_length_estimate(text));
  for (size_t i = 0; i < counts.size(); ++i) {
    EXPECT_EQ(counts[i], expected);
    EXPECT_EQ(encoders[i], encoders[0]);
  }
}

}  // namespace
}  // namespace varnel
