#include "varnel/engine/text.hpp"

#include <gtest/gtest.h>

namespace varnel {
namespace {

TEST(TextTest, LossyUtf8ReplacesEachIllFormedSubpart) {
  struct Case {
    std::string in, out;
  } cases[] = {
      {"plain", "plain"},
      {"caf\xC3\xA9", "caf\xC3\xA9"},
      {"a\xFF" "b", "a\xEF\xBF\xBD" "b"},
      {"\xE2\x82", "\xEF\xBF\xBD"},                                   // truncated sequence: one replacement
      {"\xE2\x82" "A", "\xEF\xBF\xBD" "A"},
      {"\xF0\x9F\x98\x80", "\xF0\x9F\x98\x80"},                       // emoji
      {"\xED\xA0\x80", "\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD"},       // surrogate: three subparts
      {"\xC0\xAF", "\xEF\xBF\xBD\xEF\xBF\xBD"},                       // overlong
      {std::string("a\0b", 3), std::string("a\0b", 3)},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(lossy_utf8(c.in), c.out);
    EXPECT_EQ(is_valid_utf8(c.in), c.in == c.out);
  }
}

TEST(TextTest, IllFormedBytesAreFoundAfterAsciiRunsOfAnyLength) {
  // Long ASCII runs are skipped a word at a time; the bytes after them must still be judged.
  for (size_t run = 0; run <= 24; ++run) {
    const std::string ascii(run, 'a');
    for (const std::string tail : {"\xFF", "\xE2\x82", "\xC3\xA9", "\xF0\x9F\x98\x80" "b"}) {
      const std::string in = ascii + tail + ascii;
      const bool valid = tail != "\xFF" && tail != "\xE2\x82";
      EXPECT_EQ(is_valid_utf8(in), valid) << run;
      EXPECT_EQ(lossy_utf8(in), valid ? in : ascii + "\xEF\xBF\xBD" + ascii) << run;
    }
  }
}

TEST(TextTest, TrimRemovesUnicodeWhiteSpaceOnly) {
  EXPECT_EQ(trim(" \t\r\n x y \n"), "x y");
  EXPECT_EQ(trim("\xC2\xA0x\xE3\x80\x80"), "x");  // no-break space, ideographic space
  EXPECT_EQ(trim("\xE2\x80\x8Bx"), "\xE2\x80\x8Bx");  // zero-width space is not White_Space
  EXPECT_EQ(trim("   "), "");
  EXPECT_EQ(trim(""), "");
  EXPECT_EQ(trim_start("  a "), "a ");
  EXPECT_EQ(trim_end("  a \xFF "), "  a \xFF");
}

}  // namespace
}  // namespace varnel
