#include <gtest/gtest.h>

#include <set>

#include "temp_tree.hpp"
#include "varnel/engine/catalogue.hpp"

namespace varnel {
namespace {

using testing::ScopedEnv;
using testing::TempTree;

class CatalogueTest : public ::testing::Test {
 protected:
  TempTree tree;
  std::filesystem::path home = tree.mkdir("home");
  std::filesystem::path repo = tree.mkdir("repo");
  ScopedEnv home_env{"HOME", home.string()};
};

TEST_F(CatalogueTest, StepFilesAreFoundInOrderBeforeTheBuiltIn) {
  const char* const places[] = {"repo/.vn/steps", "repo/.claude/commands", "home/.vn/steps", "home/.claude/commands"};
  struct Case {
    std::set<int> present;  // indexes into `places`
    int expected;           // the place that wins; -1: the built-in text
  } cases[] = {
      {{}, -1},           {{0}, 0},       {{1}, 1},       {{2}, 2},    {{3}, 3},
      {{0, 1, 2, 3}, 0},  {{1, 2, 3}, 1}, {{2, 3}, 2},    {{1, 3}, 1}, {{0, 2}, 0},
  };
  for (const Case& c : cases) {
    std::filesystem::remove_all(repo), std::filesystem::remove_all(home);
    for (int i : c.present) tree.write(std::string(places[i]) + "/commit.md", std::string("from ") + places[i]);
    const auto step = load_step("commit", repo);
    ASSERT_TRUE(step.has_value()) << step.error().display();
    EXPECT_EQ(step->name, "commit");
    if (c.expected < 0) {
      EXPECT_TRUE(step->content.starts_with("# Commit\n")) << step->content;
    } else {
      EXPECT_EQ(step->content, std::string("from ") + places[c.expected]);
    }
  }
}

TEST_F(CatalogueTest, StepRecordsFrontmatterAndTheRequestedName) {
  tree.write("repo/.vn/steps/ship-it.md",
             "---\nmodel: codex\ninteractive: true\ndirections: [ceo, flow]\n---\nShip.\n");
  const auto step = load_step("ship-it", repo);
  ASSERT_TRUE(step.has_value()) << step.error().display();
  EXPECT_EQ(*step, (Step{"ship-it", {"ceo", "flow"}, "codex", "Ship.\n", true}));

  tree.write("repo/.vn/steps/sub/nested.md", "nested");
  EXPECT_EQ(load_step("sub/nested", repo)->content, "nested");
}

TEST_F(CatalogueTest, AStepThatExistsButCannotBeReadIsAnErrorNotSkipped) {
  tree.mkdir("repo/.vn/steps/commit.md");
  tree.write("repo/.claude/commands/commit.md", "later candidate");
  auto step = load_step("commit", repo);
  ASSERT_FALSE(step.has_value());
  EXPECT_EQ(step.error().kind, LoadError::Kind::Io);
  EXPECT_EQ(step.error().display(), "io error: Is a directory");

  std::filesystem::remove_all(repo / ".vn");
  tree.write("repo/.claude/commands/commit.md", "caf\xE9");
  step = load_step("commit", repo);
  ASSERT_FALSE(step.has_value());
  EXPECT_EQ(step.error().display(), "io error: stream did not contain valid UTF-8");

  tree.write("repo/.claude/commands/commit.md", "---\nmodel: [\n---\n");
  step = load_step("commit", repo);
  ASSERT_FALSE(step.has_value());
  EXPECT_EQ(step.error().kind, LoadError::Kind::InvalidStep);
}

TEST_F(CatalogueTest, UnknownOrUnsafeStepNamesAreNotFound) {
  const TempTree elsewhere;
  elsewhere.write("outside.md", "must not be read");
  const std::string absolute = (elsewhere / "outside").string();
  const std::string names[] = {"deploy", "Commit", absolute, std::string("commit\0x", 8)};
  for (const std::string& name : names) {
    const auto step = load_step(name, repo);
    ASSERT_FALSE(step.has_value()) << name;
    EXPECT_EQ(step.error().kind, LoadError::Kind::StepNotFound);
    EXPECT_EQ(step.error().display(), "step not found: " + name);
  }
}

TEST_F(CatalogueTest, DirectionsComeFromTheRepositoryOrTheBuiltIns) {
  auto direction = load_direction("flow", repo);
  ASSERT_TRUE(direction.has_value());
  EXPECT_EQ(direction->source, "builtin:flow");
  EXPECT_EQ(direction->content, *builtin_direction("flow"));

  const auto path = tree.write("repo/.vn/directions/flow.md", "---\nnot: frontmatter\n---\nours");
  direction = load_direction("flow", repo);
  ASSERT_TRUE(direction.has_value());
  EXPECT_EQ(*direction, (Direction{"flow", "---\nnot: frontmatter\n---\nours", path.string()}));

  tree.write("home/.vn/directions/mine.md", "home directions are not looked up");
  direction = load_direction("mine", repo);
  ASSERT_FALSE(direction.has_value());
  EXPECT_EQ(direction.error().display(), "direction not found: mine");

  tree.mkdir("repo/.vn/directions/ceo.md");
  direction = load_direction("ceo", repo);
  ASSERT_FALSE(direction.has_value());
  EXPECT_EQ(direction.error().display(), "io error: Is a directory");
}

TEST(LoadErrorTest, DisplaysEachKind) {
  using Kind = LoadError::Kind;
  const std::pair<Kind, const char*> cases[] = {
      {Kind::FlowNotFound, "flow not found: x"},     {Kind::StepNotFound, "step not found: x"},
      {Kind::DirectionNotFound, "direction not found: x"}, {Kind::InvalidFlow, "invalid flow: x"},
      {Kind::InvalidStep, "invalid step: x"},        {Kind::InvalidDirection, "invalid direction: x"},
      {Kind::Io, "io error: x"},
  };
  for (const auto& [kind, text] : cases) EXPECT_EQ((LoadError{kind, "x"}.display()), text);
}

}  // namespace
}  // namespace varnel
