#include "varnel/engine/config.hpp"

#include <gtest/gtest.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <functional>
#include <random>

#include "temp_tree.hpp"

namespace varnel {
namespace {

using testing::ScopedEnv;
using testing::TempTree;

// A home directory and a repository, each optionally holding `.vn/config.yaml`.
class ConfigTest : public ::testing::Test {
 protected:
  TempTree tree;
  std::filesystem::path home = tree.mkdir("home");
  std::filesystem::path repo = tree.mkdir("repo");
  ScopedEnv home_env{"HOME", home.string()};

  void write_global(std::string_view text) { tree.write("home/.vn/config.yaml", text); }
  void write_repo(std::string_view text) { tree.write("repo/.vn/config.yaml", text); }
};

TEST_F(ConfigTest, MergesAndValidatesBothFiles) {
  struct Case {
    const char* name;
    std::optional<std::string> global, repo;
    std::function<void(Config&)> expect;  // applied to the defaults; none: the defaults
  } cases[] = {
      {"repository file alone", std::nullopt, "agent_model: gemini\nyolo: true\n",
       [](Config& c) { c.agent_model = "gemini", c.yolo = true; }},
      {"white-space-only repository file is absent", "agent_model: gemini\n", " \n\t\n",
       [](Config& c) { c.agent_model = "gemini"; }},
      {"comment-only repository file is null and replaces the global", "agent_model: gemini\n", "# nothing\n", {}},
      {"scalar where a sequence belongs invalidates everything", std::nullopt, "yolo: true\ncontext: \".\"\n", {}},
      {"concatenated lists and replaced scalars", "exclude: [a]\nagent_model: gemini\n",
       "exclude: [b, a]\nagent_model: claude:opus\n",
       [](Config& c) { c.exclude = {"a", "b", "a"}; }},
      {"all four lists concatenate",
       "context: [g]\nsummaries: [{path: g}]\nskill_sources: [{name: g, prefix: g, path: g}]\ninteractive: [g]\n",
       "context: [r]\nsummaries: [{path: r}]\nskill_sources: [{name: r, prefix: r, path: r}]\ninteractive: [r]\n",
       [](Config& c) {
         c.context = {"g", "r"};
         c.summaries = {{"g", {}, "gemini"}, {"r", {}, "gemini"}};
         c.skill_sources = {{"g", "g", "g"}, {"r", "r", "r"}};
         c.interactive = {"r"};
       }},
      {"a non-sequence side replaces instead of concatenating", "exclude: [a]\n", "exclude: ~\n", {}},
      {"mappings are replaced whole, not merged", "ide: {warp: false, workspace: w}\n", "ide: {cursor: false}\n",
       [](Config& c) { c.ide.cursor = false; }},
      {"global that is not a mapping yields to the repository", "- a\n- b\n", "chrome: true\n",
       [](Config& c) { c.chrome = true; }},
      {"repository that is not a mapping replaces and fails", "chrome: true\n", "- a\n", {}},
      {"broken global hides a valid repository file", "chrome: [\n", "yolo: true\n", {}},
      {"unknown keys are ignored at every level", std::nullopt,
       "future: 1\nide: {theme: dark}\nsummaries: [{path: p, colour: red}]\n",
       [](Config& c) { c.summaries = {{"p", {}, "gemini"}}; }},
      {"autoprune true", std::nullopt, "autoprune: true\n", [](Config& c) { c.autoprune = {true, 60}; }},
      {"autoprune empty mapping", std::nullopt, "autoprune: {}\n", [](Config& c) { c.autoprune = {false, 60}; }},
      {"autoprune mapping", std::nullopt, "autoprune: {enabled: true, poll_interval_seconds: 5}\n",
       [](Config& c) { c.autoprune = {true, 5}; }},
      {"autoprune integer", std::nullopt, "autoprune: 5\n", {}},
      {"budgets empty mapping", std::nullopt, "budgets: {}\n",
       [](Config& c) { c.budgets = {50000, 30000, 20000}; }},
      {"budgets partial mapping", std::nullopt, "budgets: {docs: 7}\n",
       [](Config& c) { c.budgets = {50000, 7, 20000}; }},
      {"branch names empty mapping", std::nullopt, "branch_names: {}\n",
       [](Config& c) { c.branch_names = BranchNameConfig{}; }},
      {"branch names null", std::nullopt, "branch_names: null\n", {}},
      {"schema_ is the same field", std::nullopt, "branch_names: {schema_: \"{name}\"}\n",
       [](Config& c) { c.branch_names = BranchNameConfig{"{name}"}; }},
      {"schema given twice", std::nullopt, "branch_names: {schema: a, schema_: b}\n", {}},
      {"summary without path", std::nullopt, "summaries: [{tokens: 5}]\n", {}},
      {"skill source without prefix", std::nullopt, "skill_sources: [{name: n, path: p}]\n", {}},
      {"negative integer", std::nullopt, "summary_tokens: -1\n", {}},
      {"fractional integer", std::nullopt, "summary_tokens: 1.5\n", {}},
      {"quoted integer is a string", std::nullopt, "summary_tokens: \"10\"\n", {}},
      {"integer too large", std::nullopt, "summary_tokens: 18446744073709551616\n", {}},
      {"core-schema integers", std::nullopt, "summary_tokens: 0x1F\nbudgets: {area: 0o17, docs: +3, diff: -0}\n",
       [](Config& c) { c.summary_tokens = 31, c.budgets = {15, 3, 0}; }},
      {"yes is a string, not a bool", std::nullopt, "yolo: yes\n", {}},
      {"capitalised bools", std::nullopt, "yolo: True\nvndocs: FALSE\n",
       [](Config& c) { c.yolo = true, c.vndocs = false; }},
      {"a number is not a string", std::nullopt, "land: 123\n", {}},
      {"a quoted number is a string", std::nullopt, "land: \"123\"\n", [](Config& c) { c.land = "123"; }},
      {"null for a required string", std::nullopt, "agent_model:\n", {}},
      {"tags are looked through", std::nullopt, "yolo: !flag true\nland: !!str 5\nexclude: !list [a]\n",
       [](Config& c) { c.yolo = true, c.land = "5", c.exclude = {"a"}; }},
      {"a list needs string items", std::nullopt, "exclude: [a, 1]\n", {}},
      {"direction must be a list", std::nullopt, "direction: ceo\n", {}},
      {"direction null is none", std::nullopt, "direction: null\n", {}},
      {"direction empty list is present", std::nullopt, "direction: []\n",
       [](Config& c) { c.direction = std::vector<std::string>{}; }},
      {"duplicate key", std::nullopt, "yolo: true\nyolo: false\n", {}},
      {"aliases are expanded", std::nullopt, "area: &a src/api\nlint_check: *a\n",
       [](Config& c) { c.area = "src/api", c.lint_check = "src/api"; }},
      {"a second document", std::nullopt, "yolo: true\n---\nyolo: false\n", {}},
      {"explicit null document", "yolo: true\n", "~\n", {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::filesystem::remove_all(home / ".vn");
    std::filesystem::remove_all(repo / ".vn");
    if (c.global) write_global(*c.global);
    if (c.repo) write_repo(*c.repo);
    Config expected;
    if (c.expect) c.expect(expected);
    EXPECT_EQ(load_config_or_default(repo), expected);
  }
}

TEST_F(ConfigTest, ReadsEveryField) {
  write_repo(R"(
agent_model: codex:o3
land: merge
context: [docs]
exclude: [build, "*.lock"]
interactive: [design]
summaries:
  - {path: src, tokens: 500, model: claude}
  - {path: tests}
skill_sources: [{name: n, prefix: p, path: skills}]
ide: {workspace: ws, warp: false, cursor: false}
direction: [ceo, craft]
area: src/api
branch_names: {schema: "{name}-{words}"}
lint_check: make lint
autoprune: {enabled: true}
summary_tokens: 0
budgets: {area: 1, docs: 2, diff: 3}
yolo: true
chrome: true
push: true
pr: true
include_varnel_doc: false
vndocs: false
diff: true
diff_files: false
paste: true
)");
  const auto loaded = load_config(repo);
  ASSERT_TRUE(loaded.has_value()) << loaded.error().display();
  ASSERT_TRUE(loaded->has_value());
  Config expected;
  expected.agent_model = "codex:o3";
  expected.land = "merge";
  expected.context = {"docs"};
  expected.exclude = {"build", "*.lock"};
  expected.interactive = {"design"};
  expected.summaries = {{"src", 500, "claude"}, {"tests", std::nullopt, "gemini"}};
  expected.skill_sources = {{"n", "p", "skills"}};
  expected.ide = {"ws", false, false};
  expected.direction = std::vector<std::string>{"ceo", "craft"};
  expected.area = "src/api";
  expected.branch_names = BranchNameConfig{"{name}-{words}"};
  expected.lint_check = "make lint";
  expected.autoprune = {true, 60};
  expected.summary_tokens = 0;
  expected.budgets = {1, 2, 3};
  expected.yolo = true;
  expected.chrome = true;
  expected.push = true;
  expected.pr = true;
  expected.include_varnel_doc = false;
  expected.vndocs = false;
  expected.diff = true;
  expected.diff_files = false;
  expected.paste = true;
  EXPECT_EQ(**loaded, expected);
}

TEST_F(ConfigTest, DefaultsWhenNoFileHasContent) {
  const Config defaults = load_config_or_default(repo);
  EXPECT_EQ(defaults.agent_model, "claude:opus");
  EXPECT_EQ(defaults.land, "gh");
  EXPECT_EQ(defaults.summary_tokens, 10000u);
  EXPECT_TRUE(defaults.vndocs && defaults.diff_files && defaults.include_varnel_doc);
  EXPECT_FALSE(defaults.yolo || defaults.chrome || defaults.push || defaults.pr || defaults.diff || defaults.paste);
  EXPECT_TRUE(defaults.ide.warp && defaults.ide.cursor);
  EXPECT_EQ(defaults.autoprune, (AutopruneConfig{false, 0}));
  EXPECT_EQ(defaults.budgets, (BudgetConfig{0, 0, 0}));
  EXPECT_FALSE(defaults.direction || defaults.area || defaults.branch_names || defaults.lint_check);

  auto absent = load_config(repo);
  ASSERT_TRUE(absent.has_value());
  EXPECT_FALSE(absent->has_value());
  write_global("\n\n");
  absent = load_config(std::nullopt);
  ASSERT_TRUE(absent.has_value());
  EXPECT_FALSE(absent->has_value());
}

TEST_F(ConfigTest, WithoutRepositoryOnlyTheGlobalFileCounts) {
  write_global("yolo: true\n");
  write_repo("yolo: false\n");
  EXPECT_TRUE(load_config_or_default(std::nullopt).yolo);
  EXPECT_FALSE(load_config_or_default(repo).yolo);
}

TEST_F(ConfigTest, ErrorsSayWhatFailed) {
  struct Case {
    const char* text;
    std::string message_start;
  } cases[] = {
      {"context: \".\"\n", "Config validation error: context: invalid type: string \".\", expected a sequence"},
      {"summaries: [{tokens: 5}]\n", "Config validation error: summaries[0]: missing field `path`"},
      {"summary_tokens: -1\n", "Config validation error: summary_tokens: invalid value: integer `-1`"},
      {"[1, 2\n", "YAML parse error in " + (repo / ".vn/config.yaml").string() + ": error at line"},
      {"- 1\n", "Config validation error: invalid type: sequence, expected a mapping"},
  };
  for (const Case& c : cases) {
    write_repo(c.text);
    const auto loaded = load_config(repo);
    ASSERT_FALSE(loaded.has_value()) << c.text;
    EXPECT_TRUE(loaded.error().display().starts_with(c.message_start))
        << c.text << " gave: " << loaded.error().display();
  }
}

TEST_F(ConfigTest, HostileFilesGiveTheDefaults) {
  std::mt19937 random(7);
  std::string garbage(1 << 16, '\0');
  for (char& byte : garbage) byte = static_cast<char>(random());
  std::string control_bytes;  // valid UTF-8, but nothing YAML can use
  for (int i = 0; i < 4096; ++i) control_bytes += static_cast<char>(1 + random() % 31);
  std::string big = "notes: ";
  big.append(10 << 20, 'x');
  std::string laughs = "a: &a [x, x, x, x, x, x, x, x, x, x]\n";
  for (char c = 'b'; c <= 'k'; ++c) {  // ten levels of ten aliases each: 10^10 nodes
    const std::string previous(1, static_cast<char>(c - 1));
    laughs += std::string(1, c) + ": &" + c + " [";
    for (int i = 0; i < 10; ++i) laughs += (i ? ", *" : "*") + previous;
    laughs += "]\n";
  }

  struct Case {
    const char* name;
    std::string text;
  } cases[] = {
      {"binary garbage", garbage},
      {"control characters", control_bytes},
      {"non-UTF-8", "agent_model: caf\xE9\n"},
      {"deeply nested flow", std::string(100000, '[')},
      {"deeply nested blocks", [] {
         std::string s;
         for (int i = 0; i < 3000; ++i) s += std::string(i, ' ') + "k:\n";
         return s;
       }()},
      {"alias bomb", laughs},
      {"alias inside its own anchor", "a: &x [*x]\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    write_repo(c.text);
    EXPECT_FALSE(load_config(repo).has_value());
    EXPECT_EQ(load_config_or_default(repo), Config{});
  }

  write_repo(big);  // 10 MB of a valid document: read and parsed, all defaults
  EXPECT_EQ(load_config_or_default(repo), Config{});

  std::filesystem::remove_all(repo / ".vn");
  tree.mkdir("repo/.vn/config.yaml");
  write_global("yolo: true\n");
  const auto loaded = load_config(repo);
  ASSERT_FALSE(loaded.has_value());
  EXPECT_EQ(loaded.error().display(), "Is a directory");
  EXPECT_EQ(load_config_or_default(repo), Config{});

  std::filesystem::remove_all(repo / ".vn");
  tree.mkdir("repo/.vn");
  ASSERT_EQ(::mkfifo((repo / ".vn/config.yaml").c_str(), 0600), 0);
  EXPECT_FALSE(load_config(repo).has_value());  // refused, not blocked on
}

TEST(HomeDirTest, PrefersHomeThenTheUserDatabase) {
  {
    ScopedEnv home("HOME", "/somewhere/else");
    EXPECT_EQ(home_dir(), std::filesystem::path("/somewhere/else"));
  }
  ScopedEnv empty("HOME", "");
  const passwd* entry = ::getpwuid(::getuid());
  ASSERT_NE(entry, nullptr);
  EXPECT_EQ(home_dir(), std::filesystem::path(entry->pw_dir));
}

}  // namespace
}  // namespace varnel
