#include <gtest/gtest.h>

#include <ctime>
#include <regex>
#include <set>

#include "git_sandbox.hpp"
#include "varnel/engine/branch_names.hpp"

namespace varnel {
namespace {

using testing::GitSandbox;

class BranchNamesTest : public GitSandbox {
 protected:
  void SetUp() override {
    GitSandbox::SetUp();
    const char* user = getenv("USER");
    saved_user_ = user ? std::optional<std::string>(user) : std::nullopt;
  }
  void TearDown() override {
    if (saved_user_) {
      ::setenv("USER", saved_user_->c_str(), 1);
    } else {
      ::unsetenv("USER");
    }
    GitSandbox::TearDown();
  }

  // The local time as `format`, taken around a call so that a minute boundary can be told.
  static std::string now(const char* format) {
    const std::time_t t = std::time(nullptr);
    std::tm local{};
    localtime_r(&t, &local);
    char buffer[32];
    return std::string(buffer, std::strftime(buffer, sizeof buffer, format, &local));
  }

  std::optional<std::string> saved_user_;
};

TEST(SlugifyTest, KeepsAsciiNameCharactersAndFoldsTheRest) {
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"Add Login Page", "add-login-page"},
      {"feat/Login Page", "feat-login-page"},
      {"--a__b--", "a__b"},
      {"build1.2", "build1.2"},
      {"\xc3\x9c" "berFix", "berfix"},
      {"!!!", "user"},
      {"", "user"},
      {"a - b", "a-b"},
      {"a--!!--b", "a-b"},
      {"  Jane   Doe ", "jane-doe"},
      {"x\xff\xfey", "x-y"},
  };
  for (const auto& [text, slug] : cases) EXPECT_EQ(slugify_name_part(text), slug) << text;
}

TEST(RandomWordsTest, DrawsEveryWordOfBothLists) {
  std::set<std::string> first, second;
  for (int i = 0; i < 3000; ++i) {
    const std::string words = random_branch_words();
    const size_t dash = words.find('-');
    ASSERT_NE(dash, std::string::npos) << words;
    ASSERT_EQ(words.find('-', dash + 1), std::string::npos) << words;
    first.insert(words.substr(0, dash));
    second.insert(words.substr(dash + 1));
  }
  // 3000 draws miss one of 34 equally likely words with probability below 1e-36.
  EXPECT_EQ(first.size(), 34u);
  EXPECT_EQ(second.size(), 26u);
  EXPECT_TRUE(first.count("aurora") && first.count("zephyr") && second.count("allegro") && second.count("waltz"));
}

TEST_F(BranchNamesTest, DefaultTemplateUsesGitUserTimeAndWords) {
  git(repo, {"config", "user.name", "Jane Doe"});
  const std::string before = now("%Y%m%d_%H%M");
  auto name = generate_branch_name("api", std::nullopt, repo);
  const std::string after = now("%Y%m%d_%H%M");
  ASSERT_TRUE(name) << name.error().display();
  std::smatch m;
  ASSERT_TRUE(std::regex_match(*name, m, std::regex(R"(jane-doe\.api\.(\d{8}_\d{4})\.([a-z]+)-([a-z]+))"))) << *name;
  EXPECT_TRUE(m[1] == before || m[1] == after) << *name;
}

TEST_F(BranchNamesTest, TemplatesAndUserFallbacks) {
  log_git_calls();
  auto only_name = generate_branch_name("Add Login Page", "{name}", repo);
  EXPECT_EQ(only_name.value(), "add-login-page");
  EXPECT_TRUE(git_calls().empty());

  auto dated = generate_branch_name("x", "{date}-{ts}", repo);
  ASSERT_TRUE(dated);
  EXPECT_TRUE(std::regex_match(*dated, std::regex(R"(\d{8}-\d{8}_\d{4})"))) << *dated;
  EXPECT_EQ(dated->substr(0, 8), dated->substr(9, 8));
  EXPECT_EQ(git_calls(), (std::vector<std::vector<std::string>>{{"config", "user.name"}}));

  // Unknown placeholders stay; every occurrence is filled; no slug of the whole.
  EXPECT_EQ(generate_branch_name("My Fix", "{name}/{user}/{other}/{name}", repo).value(),
            "my-fix/varnel-test/{other}/my-fix");

  // user.name unset: $USER, then "user".
  std::filesystem::remove(root() / "home" / ".gitconfig");
  ::setenv("USER", "Ops Bot", 1);
  EXPECT_EQ(generate_branch_name("n", "{user}", repo).value(), "ops-bot");
  ::setenv("USER", "\xff", 1);
  EXPECT_EQ(generate_branch_name("n", "{user}", repo).value(), "user");
  ::unsetenv("USER");
  EXPECT_EQ(generate_branch_name("n", "{user}.{name}", repo).value(), "user.n");

  remove_program("git");
  only_fakes_on_path();
  auto missing = generate_branch_name("n", std::nullopt, repo);
  ASSERT_FALSE(missing);
  EXPECT_EQ(missing.error().display(), "io error: No such file or directory");
  EXPECT_EQ(generate_branch_name("n", "{name}", repo).value(), "n");
}

}  // namespace
}  // namespace varnel
