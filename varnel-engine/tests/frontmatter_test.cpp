#include <gtest/gtest.h>

#include "varnel/engine/catalogue.hpp"

namespace varnel {
namespace {

TEST(FrontmatterTest, CutsAtTheFirstTwoMarkers) {
  using Names = std::vector<std::string>;
  struct Case {
    const char* text;
    Names directions;
    std::optional<std::string> model;
    std::optional<bool> interactive;
    const char* body;
  } cases[] = {
      {"---\ninteractive: true\ndirections: ceo\n---\nDo it.\n", {"ceo"}, {}, true, "Do it.\n"},
      {"---\ndirections: [a, 1, b]\n---\nx", {"a", "b"}, {}, {}, "x"},
      {"---\ndirections: []\ndirection: designer\n---\n", {"designer"}, {}, {}, ""},
      {"---\ndirections: [ceo]\ndirection: designer\n---\n", {"ceo"}, {}, {}, ""},
      {"---\ndirection: [flow, {x: 1}, craft]\n---\n", {"flow", "craft"}, {}, {}, ""},
      {"---\ndirections: 5\n---\n", {}, {}, {}, ""},
      {"---\nmodel: gemini:flash\ninteractive: false\n---\n\nbody", {}, "gemini:flash", false, "\nbody"},
      {"---\nmodel: 3\ninteractive: yes\n---\nb", {}, {}, {}, "b"},
      {"---\nmodel: !m opus\ninteractive: !i TRUE\n---\nb", {}, "opus", true, "b"},
      {"---\nrequires: none\nproduces: x\ndiff_files: false\n---\nb", {}, {}, {}, "b"},
      {"--- a scalar ---body", {}, {}, {}, "body"},
      {"---\n- a\n- b\n---\nbody", {}, {}, {}, "body"},
      {"------\nbody", {}, {}, {}, "body"},
      {"---\nmodel: m\n---\nkeep --- this\n---\n", {}, "m", {}, "keep --- this\n---\n"},
      {"---model: m---x", {}, "m", {}, "x"},
      {"---\nmodel: m\n---\r\nx", {}, "m", {}, "\r\nx"},
      {"---\nno second marker\n", {}, {}, {}, "---\nno second marker\n"},
      {"# Title\n---\nmodel: m\n---\n", {}, {}, {}, "# Title\n---\nmodel: m\n---\n"},
      {" ---\nmodel: m\n---\n", {}, {}, {}, " ---\nmodel: m\n---\n"},
      {"\xEF\xBB\xBF---\nmodel: m\n---\n", {}, {}, {}, "\xEF\xBB\xBF---\nmodel: m\n---\n"},
      {"", {}, {}, {}, ""},
  };
  for (const Case& c : cases) {
    const auto parsed = parse_frontmatter(c.text);
    ASSERT_TRUE(parsed.has_value()) << c.text << ": " << parsed.error().display();
    EXPECT_EQ(parsed->directions, c.directions) << c.text;
    EXPECT_EQ(parsed->model, c.model) << c.text;
    EXPECT_EQ(parsed->interactive, c.interactive) << c.text;
    EXPECT_EQ(parsed->body, c.body) << c.text;
  }
}

TEST(FrontmatterTest, InvalidYamlIsAnInvalidStepWithTheParserMessage) {
  for (const char* text : {"---\nmodel: [unclosed\n---\nbody", "---\na: 1\na: 2\n---\n", "---\n\tx: : :\n---\n"}) {
    const auto parsed = parse_frontmatter(text);
    ASSERT_FALSE(parsed.has_value()) << text;
    EXPECT_EQ(parsed.error().kind, LoadError::Kind::InvalidStep);
    EXPECT_TRUE(parsed.error().display().starts_with("invalid step: error at line ")) << parsed.error().display();
  }
}

}  // namespace
}  // namespace varnel
