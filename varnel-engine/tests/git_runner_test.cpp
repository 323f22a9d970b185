#include <gtest/gtest.h>

#include <functional>

#include "git_sandbox.hpp"
#include "varnel/engine/git.hpp"
#include "varnel/engine/land.hpp"
#include "varnel/engine/worktrees.hpp"

namespace varnel {
namespace {

namespace fs = std::filesystem;
using testing::GitSandbox;
using testing::write_file;
using Args = std::vector<std::string>;

// The error of `result`, if it failed.
template <typename T>
std::optional<GitError> error_of(const GitResult<T>& result) {
  if (result) return std::nullopt;
  return result.error();
}

class GitRunnerTest : public GitSandbox {};

TEST_F(GitRunnerTest, RunGitReturnsUntrimmedOutputAndJudgesFailures) {
  auto ok = run_git(repo, {"rev-parse", "--abbrev-ref", "HEAD"});
  ASSERT_TRUE(ok) << ok.error().display();
  EXPECT_EQ(*ok, "main\n");

  auto failed = run_git(repo, {"rev-parse", "no such", "ref"});
  ASSERT_FALSE(failed);
  EXPECT_EQ(failed.error().kind, GitError::Kind::CommandFailed);
  EXPECT_EQ(failed.error().display(), "git command failed: git rev-parse no such ref");
  EXPECT_NE(failed.error().stderr.find("no such"), std::string::npos) << failed.error().stderr;

  // The raw runner answers whatever the status.
  auto raw = run_git_output(repo, {"rev-parse", "no-such-ref"});
  ASSERT_TRUE(raw);
  EXPECT_EQ(raw->status.code, 128);
  EXPECT_FALSE(raw->err.empty());
}

TEST_F(GitRunnerTest, OutsideARepositoryTheCommandFails) {
  const auto outside = root() / "plain";
  fs::create_directories(outside);
  auto clean = git_is_clean(outside);
  ASSERT_FALSE(clean);
  EXPECT_EQ(clean.error().display(), "git command failed: git status --porcelain");
  EXPECT_NE(clean.error().stderr.find("not a git repository"), std::string::npos);

  auto root_dir = git_main_repo_root(outside);
  ASSERT_FALSE(root_dir);
  EXPECT_EQ(root_dir.error().display(), "git command failed: git rev-parse --git-common-dir");
}

TEST_F(GitRunnerTest, MissingProgramsAreIoErrors) {
  only_fakes_on_path();
  const std::vector<std::pair<const char*, std::function<std::optional<GitError>()>>> cases = {
      {"run_git", [&] { return error_of(run_git(repo, {"status"})); }},
      {"run_git_output", [&] { return error_of(run_git_output(repo, {"status"})); }},
      {"run_gh", [&] { return error_of(run_gh(repo, {"pr", "view"})); }},
      {"current_branch", [&] { return error_of(git_current_branch(repo)); }},
      {"default_branch", [&] { return error_of(git_get_default_branch(repo)); }},
      {"pr_exists", [&] { return error_of(git_pr_exists(repo)); }},
      {"list_worktrees", [&] { return error_of(git_list_worktrees(repo)); }},
      {"rebase", [&] { return error_of(git_rebase(repo, "main")); }},
      {"sync_main", [&] { return error_of(git_sync_main(repo, "main")); }},
  };
  for (const auto& [name, call] : cases) {
    const auto error = call();
    ASSERT_TRUE(error) << name;
    EXPECT_EQ(error->kind, GitError::Kind::Io) << name;
    EXPECT_EQ(error->display(), "io error: No such file or directory") << name;
  }
  EXPECT_FALSE(worktree_branch_suffix(repo));
  xdg_open("https://example.invalid/");  // returns although xdg-open is missing
}

TEST_F(GitRunnerTest, CurrentAndDefaultBranch) {
  log_git_calls();
  EXPECT_EQ(git_current_branch(repo).value(), "main");
  EXPECT_EQ(git_calls(), (std::vector<Args>{{"symbolic-ref", "--short", "HEAD"}}));
  remove_program("git");
  EXPECT_EQ(git_get_default_branch(repo).value(), "main");

  git(repo, {"checkout", "-q", "--detach"});
  EXPECT_EQ(git_current_branch(repo).value(), std::nullopt);

  git(repo, {"push", "-q", "origin", "HEAD:refs/heads/release/2", "HEAD:refs/heads/develop"});
  git(repo, {"fetch", "-q", "origin"});
  git(repo, {"remote", "set-head", "origin", "develop"});
  EXPECT_EQ(git_get_default_branch(repo).value(), "develop");
  git(repo, {"remote", "set-head", "origin", "release/2"});
  EXPECT_EQ(git_get_default_branch(repo).value(), "release/2");
  git(repo, {"remote", "remove", "origin"});
  EXPECT_EQ(git_get_default_branch(repo).value(), "main");
}

TEST_F(GitRunnerTest, DefaultBranchReadsWhatGitPrints) {
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"trunk\n", "trunk"},           {"  origin/dev  \n", "dev"}, {"origin/\n", "origin/"},
      {"origin/ \n", "origin/"},      {"\n", "main"},              {"origin/a/b/c", "a/b/c"},
  };
  for (const auto& [printed, expected] : cases) {
    fake_program("git", printed, 0);
    EXPECT_EQ(git_get_default_branch(repo).value(), expected) << printed;
  }
  fake_program("git", "origin/develop\n", 1);
  EXPECT_EQ(git_get_default_branch(repo).value(), "main");
}

TEST_F(GitRunnerTest, GhRunsInTheDirectoryWithExactArguments) {
  fake_program("gh", "  https://github.invalid/pr/7\n", 0);
  EXPECT_EQ(git_pr_create_draft(repo).value(), "https://github.invalid/pr/7");
  EXPECT_EQ(testing::read_file(root() / "gh.argv"), "pr\ncreate\n--draft\n--fill\n");
  EXPECT_EQ(testing::read_file(root() / "gh.cwd"), repo.string() + "\n");

  fake_program("gh", "OPEN\n", 0);
  EXPECT_EQ(git_pr_exists(repo).value(), true);
  EXPECT_EQ(testing::read_file(root() / "gh.argv"), "pr\nview\n--json\nstate\n-q\n.state\n");
  fake_program("gh", " \n", 0);
  EXPECT_EQ(git_pr_exists(repo).value(), false);
  fake_program("gh", "OPEN\n", 1);  // no pull request, not signed in: an answer
  EXPECT_EQ(git_pr_exists(repo).value(), false);

  fake_program("gh", "", 1);
  auto merged = git_pr_merge_squash_auto(repo);
  ASSERT_FALSE(merged);
  EXPECT_EQ(merged.error().display(), "git command failed: gh pr merge --squash --auto");
  EXPECT_EQ(merged.error().stderr, "fake stderr");

  auto missing_dir = run_gh(root() / "nowhere", {"pr", "view"});
  ASSERT_FALSE(missing_dir);
  EXPECT_EQ(missing_dir.error().display(), "io error: No such file or directory");
}

TEST_F(GitRunnerTest, XdgOpenPassesTheTargetAlone) {
  fake_program("xdg-open", "", 3);
  xdg_open("https://x.invalid/a b;$(rm -rf ~)");
  EXPECT_EQ(testing::read_file(root() / "xdg-open.argv"), "https://x.invalid/a b;$(rm -rf ~)\n");
}

TEST_F(GitRunnerTest, ArgumentsReachGitWhole) {
  log_git_calls();
  const std::string message = "it's \"quoted\"; $(touch pwned) `x` über\n-- -m second";
  write_file(repo / "a.txt", "a");
  ASSERT_TRUE(run_git(repo, {"add", "-A"}));
  ASSERT_TRUE(run_git(repo, {"commit", "-q", "-m", message}));
  EXPECT_EQ(git(repo, {"log", "-1", "--format=%B"}), message);
  EXPECT_FALSE(fs::exists(repo / "pwned"));

  const fs::path odd = root() / "dir with 'quotes' and ü";
  fs::create_directories(odd);
  EXPECT_TRUE(run_git(odd, {"init", "-q"}));
  const auto calls = git_calls(true);
  ASSERT_EQ(calls.size(), 3u);
  EXPECT_EQ(calls[1], (Args{"-C", repo.string(), "commit", "-q", "-m", message}));
  EXPECT_EQ(calls[2], (Args{"-C", odd.string(), "init", "-q"}));
}

// Names of refs and remotes never begin with "-"; such an argument would reach git as an
// option, and --upload-pack, --receive-pack and --exec run commands.
TEST_F(GitRunnerTest, OptionLikeNamesAreRefusedBeforeGitRuns) {
  log_git_calls();
  const std::string evil = "--upload-pack=touch pwned;false";
  const std::vector<std::pair<std::string, std::function<std::optional<GitError>()>>> cases = {
      {"git fetch origin " + evil, [&] { return error_of(git_fetch(repo, "origin", evil)); }},
      {"git fetch " + evil + " main", [&] { return error_of(git_fetch(repo, evil, "main")); }},
      {"git fetch origin " + evil, [&] { return error_of(git_sync_main(repo, evil)); }},
      {"git push -u " + evil + " main", [&] { return error_of(git_push_with_upstream(repo, evil, "main")); }},
      {"git push " + evil + " --delete x", [&] { return error_of(git_delete_remote_branch(repo, evil, "x")); }},
      {"git branch -D -f", [&] { return error_of(git_delete_local_branch(repo, "-f")); }},
      {"git rebase --exec=touch pwned", [&] { return error_of(git_rebase(repo, "--exec=touch pwned")); }},
      {"git rebase --onto main --exec=x", [&] { return error_of(git_rebase(repo, "main", "--exec=x")); }},
      {"git worktree add -b b " + (root() / "w").string() + " --orphan",
       [&] { return error_of(git_worktree_add(repo, root() / "w", "b", "--orphan")); }},
      {"git checkout --orphan=x", [&] { return error_of(git_land(repo, true, "--orphan=x")); }},
  };
  for (const auto& [command, call] : cases) {
    const auto error = call();
    ASSERT_TRUE(error) << command;
    EXPECT_EQ(error->display(), "git command failed: " + command);
    EXPECT_NE(error->stderr.find("refusing"), std::string::npos);
  }
  EXPECT_TRUE(git_calls().empty());
  EXPECT_FALSE(fs::exists(repo / "pwned"));
}

}  // namespace
}  // namespace varnel
