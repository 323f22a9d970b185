#include "config/yaml.hpp"

#include <gtest/gtest.h>

namespace varnel::yaml {
namespace {

TEST(YamlTest, ResolvesPlainScalarsByTheCoreSchema) {
  struct Case {
    const char* text;
    Type type;
  } cases[] = {
      {"~", Type::Null},        {"null", Type::Null},       {"NULL", Type::Null},     {"Null", Type::Null},
      {"nULL", Type::String},   {"true", Type::Bool},       {"False", Type::Bool},    {"TRUE", Type::Bool},
      {"tRUE", Type::String},   {"yes", Type::String},      {"on", Type::String},     {"0", Type::Int},
      {"-12", Type::Int},       {"+7", Type::Int},          {"0o17", Type::Int},      {"0x1f", Type::Int},
      {"0o8", Type::String},    {"0xg", Type::String},      {"0b1", Type::String},    {"1_000", Type::String},
      {"1.5", Type::Float},     {"-.5", Type::Float},       {"1.", Type::Float},      {"1e3", Type::Float},
      {"1.5E-3", Type::Float},  {".inf", Type::Float},      {"-.Inf", Type::Float},   {".NaN", Type::Float},
      {"-.nan", Type::String},  {".", Type::String},        {"1e", Type::String},     {"e3", Type::String},
      {"'1'", Type::String},    {"\"true\"", Type::String}, {"!!str 1", Type::String}, {"!x 1", Type::Int},
      {"!!int 1", Type::Int},   {"|\n  1\n", Type::String},
  };
  for (const Case& c : cases) {
    const auto value = parse(c.text);
    ASSERT_TRUE(value.has_value()) << c.text << ": " << value.error();
    EXPECT_EQ(value->type, c.type) << c.text;
  }
}

TEST(YamlTest, KeepsMappingOrderAndExpandsAliases) {
  const auto value = parse("b: &x [1, {k: v}]\na: *x\n");
  ASSERT_TRUE(value.has_value()) << value.error();
  ASSERT_EQ(value->type, Type::Mapping);
  ASSERT_EQ(value->size(), 2u);
  EXPECT_EQ(value->key(0).scalar, "b");
  EXPECT_EQ(value->key(1).scalar, "a");
  EXPECT_EQ(value->value(0), value->value(1));
  EXPECT_EQ(value->find("a")->children[1].find("k")->scalar, "v");
  EXPECT_EQ(value->find("missing"), nullptr);
}

TEST(YamlTest, EmptyAndCommentOnlyStreamsAreNull) {
  for (const char* text : {"", "# only a comment\n", "---\n"}) {
    const auto value = parse(text);
    ASSERT_TRUE(value.has_value()) << text;
    EXPECT_EQ(value->type, Type::Null) << text;
  }
}

TEST(YamlTest, RejectsWhatCannotBeOneSoundDocument) {
  struct Case {
    std::string text;
    const char* message_part;
  } cases[] = {
      {"a: [1, 2\n", "error at line"},
      {"a: 1\n---\nb: 2\n", "more than one document"},
      {"a: 1\nb: 2\na: 3\n", "duplicate mapping key string \"a\""},
      {"~: 1\nnull: 2\n", "duplicate mapping key null"},
      {"a: &x [1, *x]\n", "alias"},
      {"a: *nowhere\n", "anchor"},
      {std::string(50000, '['), "nesting too deep"},
  };
  for (const Case& c : cases) {
    const auto value = parse(c.text);
    ASSERT_FALSE(value.has_value()) << c.text.substr(0, 40);
    EXPECT_NE(value.error().find(c.message_part), std::string::npos) << value.error();
    EXPECT_EQ(value.error().find("yaml-cpp"), std::string::npos) << value.error();
  }
}

TEST(YamlTest, AliasExpansionIsBoundedByTheTextSize) {
  std::string text = "a: &a [x, x, x, x, x, x, x, x]\n";
  for (char c = 'b'; c <= 'i'; ++c) {  // 8^9 nodes from a few hundred bytes
    const std::string previous(1, static_cast<char>(c - 1));
    text += std::string(1, c) + ": &" + c + " [";
    for (int i = 0; i < 8; ++i) text += (i ? ", *" : "*") + previous;
    text += "]\n";
  }
  const auto value = parse(text);
  ASSERT_FALSE(value.has_value());
  EXPECT_NE(value.error().find("aliases expand"), std::string::npos) << value.error();

  // A few aliases of a small anchor stay well inside the bound.
  EXPECT_TRUE(parse("a: &a [x, y]\nb: [*a, *a, *a, *a]\n").has_value());
}

}  // namespace
}  // namespace varnel::yaml
