#include <gtest/gtest.h>

#include "git_sandbox.hpp"
#include "varnel/engine/land.hpp"

namespace varnel {
namespace {

namespace fs = std::filesystem;
using testing::GitSandbox;
using Args = std::vector<std::string>;

class GitLandTest : public GitSandbox {};

TEST_F(GitLandTest, FetchUpdatesOneRemoteBranch) {
  const fs::path other = root() / "other";
  git(root(), {"clone", "-q", origin.string(), other.string()});
  const std::string pushed = commit(other, {{"b.txt", "b"}});
  git(other, {"push", "-q", "origin", "main"});
  log_git_calls();

  ASSERT_TRUE(git_fetch(repo, "origin", "main"));
  EXPECT_EQ(git(repo, {"rev-parse", "origin/main"}), pushed);
  EXPECT_EQ(git_calls(), (std::vector<Args>{{"fetch", "origin", "main"}}));

  auto failed = git_fetch(repo, "origin", "no-such-branch");
  ASSERT_FALSE(failed);
  EXPECT_EQ(failed.error().display(), "git command failed: git fetch origin no-such-branch");
  EXPECT_NE(failed.error().stderr.find("no-such-branch"), std::string::npos);
}

TEST_F(GitLandTest, RebaseReportsConflictLinesAsGitPrintsThem) {
  // A scripted git: records "<subcommand> <first argument>" per call, then runs `answers`.
  const std::string seen = (root() / "seen").string();
  auto script = [&](const std::string& answers) {
    fs::remove(seen);
    write_script("git", "echo \"$3 $4\" >> " + testing::sh_quote(seen) + "\n" + answers);
  };

  script("[ \"$3\" = diff ] && printf 'a b.txt\\r\\n  \\n\\n sp.txt \\nlast'\n[ \"$3\" = diff ]\n");
  auto outcome = git_rebase(repo, "origin/main");
  ASSERT_TRUE(outcome) << outcome.error().display();
  EXPECT_FALSE(outcome->success);
  EXPECT_EQ(outcome->conflicts, (std::vector<std::string>{"a b.txt", " sp.txt ", "last"}));
  EXPECT_EQ(outcome->new_head, std::nullopt);
  EXPECT_EQ(testing::read_file(seen), "rebase origin/main\ndiff --name-only\nrebase --abort\n");

  // No conflicted file: no list at all, not an empty one.
  script("[ \"$3\" = diff ]\n");
  outcome = git_rebase(repo, "origin/main");
  ASSERT_TRUE(outcome);
  EXPECT_EQ(outcome->conflicts, std::nullopt);

  // A failing conflict query is returned at once, before any abort.
  script("[ \"$3\" = diff ] && echo broken >&2\nexit 1\n");
  outcome = git_rebase(repo, "main", "abc123");
  ASSERT_FALSE(outcome);
  EXPECT_EQ(outcome.error().display(), "git command failed: git diff --name-only --diff-filter=U");
  EXPECT_EQ(outcome.error().stderr, "broken\n");
  EXPECT_EQ(testing::read_file(seen), "rebase --onto\ndiff --name-only\n");
}

TEST_F(GitLandTest, RebaseAlreadyInProgressIsLeftAlone) {
  // A worktree, so that its git directory is found through the ".git" file.
  const fs::path feature = root() / "repo.feature";
  git(repo, {"worktree", "add", "-q", "-b", "feature", feature.string(), "main"});
  commit(feature, {{"README.md", "feature\n"}});
  commit(repo, {{"README.md", "main\n"}});
  auto started =
      process::run_captured(process::Command{real_git(), {"-C", feature.string(), "rebase", "main"}, {}, {}, false});
  ASSERT_TRUE(started && !started->status.success());
  const std::string resolving = "resolved by hand\n";
  testing::write_file(feature / "README.md", resolving);
  log_git_calls();

  auto outcome = git_rebase(feature / "", "main");
  ASSERT_TRUE(outcome) << outcome.error().display();
  EXPECT_FALSE(outcome->success);
  for (const Args& call : git_calls()) EXPECT_NE(call, (Args{"rebase", "--abort"}));
  EXPECT_EQ(testing::read_file(feature / "README.md"), resolving);
  EXPECT_TRUE(fs::exists(git(feature, {"rev-parse", "--git-path", "rebase-merge"})));
}

}  // namespace
}  // namespace varnel
