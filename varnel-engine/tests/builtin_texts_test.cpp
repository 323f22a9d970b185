#include <gtest/gtest.h>

#include <algorithm>
#include <regex>

#include "config/yaml.hpp"
#include "varnel/engine/catalogue.hpp"

namespace varnel {
namespace {

using Entries = std::vector<std::pair<std::string, std::string>>;

// The frontmatter of a built-in text as ordered key/value texts.
Entries frontmatter_entries(std::string_view text) {
  EXPECT_TRUE(text.starts_with("---\n"));
  const size_t close = text.find("---", 3);
  const auto value = yaml::parse(text.substr(3, close - 3));
  EXPECT_TRUE(value.has_value());
  Entries entries;
  if (!value || value->type != yaml::Type::Mapping) return entries;
  for (size_t i = 0; i < value->size(); ++i) entries.emplace_back(value->key(i).scalar, value->value(i).scalar);
  return entries;
}

// Words that mark an unfinished text.
void expect_finished(std::string_view name, std::string_view text) {
  static const std::regex unfinished(R"(\{\}|TODO:|TBD|FIXME|XXX|lorem ipsum|<placeholder>)", std::regex::icase);
  EXPECT_FALSE(std::regex_search(text.begin(), text.end(), unfinished)) << name;
  EXPECT_TRUE(text.ends_with("\n")) << name;
  EXPECT_EQ(text.find("\n\n\n"), std::string_view::npos) << name;
}

TEST(BuiltinTextsTest, EveryStepCarriesExactlyItsFrontmatter) {
  const std::pair<const char*, Entries> table[] = {
      {"5whys", {{"requires", "diff from debug step"}, {"produces", "scratch/<branch>.md"}}},
      {"add-to-roadmap", {{"requires", "scratch/ files to promote"}, {"produces", "roadmap/ or reports/ files"}}},
      {"commit", {{"produces", "git commit"}}},
      {"compress", {{"requires", "diff vs main"}, {"produces", "simpler code"}}},
      {"consolidate",
       {{"requires", "scratch/ with multiple files"}, {"produces", "scratch/ cleaned up and reorganized"}}},
      {"debug",
       {{"requires", "error message or stacktrace (via clipboard -c)"},
        {"produces", "fixed code"},
        {"diff_files", "false"}}},
      {"design", {{"interactive", "true"}, {"requires", "none"}, {"produces", "scratch/<branch>.md"}}},
      {"expand", {{"requires", "none"}, {"produces", "scratch/expansion-opportunities.md"}}},
      {"explore",
       {{"interactive", "true"}, {"requires", "none"}, {"produces", "understanding, scratch/notes.md (optional)"}}},
      {"gate", {{"requires", "code on branch"}, {"produces", "polished code, scratch/<branch>-review.md"}}},
      {"implement", {{"requires", "scratch/<branch>.md"}, {"produces", "code, tests"}}},
      {"ingest", {{"requires", "roadmap/<wave>/ items"}, {"produces", "scratch/<slug>.md"}}},
      {"init", {{"interactive", "true"}, {"produces", "installed dependencies, .vn/config.yaml"}}},
      {"iterate", {{"requires", "scratch/review-*.md or review feedback"}, {"produces", "scratch/<branch>.md"}}},
      {"kickoff",
       {{"requires", "scratch/<slug>.md (ingested wave item)"}, {"produces", "scratch/<slug>.md (elaborated design)"}}},
      {"lint", {{"produces", "passing lint checks"}}},
      {"polish", {{"requires", "none"}, {"produces", "scratch/polish-priorities.md"}}},
      {"rebase", {{"produces", "rebased branch (or no-op if up-to-date)"}}},
      {"reduce", {{"requires", "none"}, {"produces", "scratch/simplification-opportunities.md"}}},
      {"refine", {{"interactive", "true"}, {"produces", "refined text"}}},
      {"review", {{"requires", "none"}, {"produces", "scratch/research.md"}}},
      {"roadmap", {{"requires", "scratch/ analysis"}, {"produces", "scratch/roadmap-proposal.md"}}},
      {"synthesize", {{"requires", "multiple drafts from forked agents"}, {"produces", "scratch/synthesis.md"}}},
      {"validate", {{"requires", "none"}, {"produces", "validation report"}}},
  };
  std::vector<std::string_view> names;
  for (const auto& [name, entries] : table) {
    names.push_back(name);
    const auto text = builtin_step(name);
    ASSERT_TRUE(text.has_value()) << name;
    EXPECT_EQ(frontmatter_entries(*text), entries) << name;

    const auto step = load_step(name, "/nonexistent");
    ASSERT_TRUE(step.has_value()) << name;
    EXPECT_TRUE(step->directions.empty() && !step->model) << name;
    EXPECT_EQ(step->interactive, entries.front().first == "interactive" ? std::optional(true) : std::nullopt);
    EXPECT_TRUE(step->content.starts_with("# ")) << name;
    expect_finished(name, step->content);
  }
  EXPECT_TRUE(std::ranges::equal(builtin_step_names(), names));
}

TEST(BuiltinTextsTest, DirectionsAreRolesOrThreeLineStyles) {
  const std::vector<std::string_view> roles = {"ceo", "designer", "infra-engineer", "product-engineer"};
  const std::vector<std::string_view> styles = {"craft", "flow", "scale"};
  for (std::string_view name : roles) {
    const auto text = builtin_direction(name);
    ASSERT_TRUE(text.has_value()) << name;
    EXPECT_GE(text->size(), 1100u) << name;
    EXPECT_LE(text->size(), 1500u) << name;
    for (const char* section :
         {"\n## Success\n", "\n## What matters\n", "\n## Quality bar\n", "\n## Anti-patterns\n"}) {
      EXPECT_NE(text->find(section), std::string_view::npos) << name << section;
    }
    expect_finished(name, *text);
  }
  for (std::string_view name : styles) {
    const auto text = builtin_direction(name);
    ASSERT_TRUE(text.has_value()) << name;
    EXPECT_EQ(std::ranges::count(*text, '\n'), 3) << name;
    const size_t last_line = text->rfind('\n', text->size() - 2) + 1;
    EXPECT_TRUE(text->substr(last_line).starts_with("Consider: ")) << name;
    expect_finished(name, *text);
  }
  EXPECT_TRUE(std::ranges::equal(builtin_direction_names(),
                                 std::vector<std::string_view>{"ceo", "craft", "designer", "flow", "infra-engineer",
                                                               "product-engineer", "scale"}));
  EXPECT_FALSE(builtin_direction("CEO").has_value());
}

TEST(BuiltinTextsTest, GuideExplainsThePromptTags) {
  const std::string_view guide = product_guide();
  EXPECT_TRUE(guide.starts_with(
      "# varnel\n\nRun prompts, hand off cleanly. Each step does one thing and leaves state for the next.\n"));
  for (const char* mention : {"<vn:area>", "<vn:docs>", "<vn:direction:", "<vn:step:", "<vn:diff>", "<vn:clipboard>",
                              "scratch/questions.md", "scratch/<branch>.md", "roadmap/"}) {
    EXPECT_NE(guide.find(mention), std::string_view::npos) << mention;
  }
  expect_finished("guide", guide);
}

}  // namespace
}  // namespace varnel
