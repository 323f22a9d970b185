#include "varnel/engine/model.hpp"

#include <gtest/gtest.h>

namespace varnel {
namespace {

TEST(ParseModelTest, SplitsAtFirstColonAndDefaultsKnownBackends) {
  struct Case {
    const char* spec;
    const char* backend;
    std::optional<std::string> variant;
  } cases[] = {
      {"claude:opus", "claude", "opus"}, {"claude", "claude", "opus"},  {"gemini", "gemini", "2.5-pro"},
      {"codex", "codex", std::nullopt},  {"claude:", "claude", ""},     {"a:b:c", "a", "b:c"},
      {"", "", std::nullopt},            {"Claude", "Claude", std::nullopt}, {" claude", " claude", std::nullopt},
  };
  for (const auto& c : cases) {
    const ModelSpec m = parse_model(c.spec);
    EXPECT_EQ(m.backend, c.backend) << c.spec;
    EXPECT_EQ(m.variant, c.variant) << c.spec;
  }
}

}  // namespace
}  // namespace varnel
