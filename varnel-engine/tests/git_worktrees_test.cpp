#include <gtest/gtest.h>

#include "git_sandbox.hpp"
#include "varnel/engine/worktrees.hpp"

namespace varnel {
namespace {

namespace fs = std::filesystem;
using testing::GitSandbox;
using Args = std::vector<std::string>;

class GitWorktreesTest : public GitSandbox {};

TEST(WorktreePathTest, NamesTheSiblingDirectoryAfterRepositoryAndBranch) {
  const std::vector<std::tuple<fs::path, std::string, fs::path>> cases = {
      {"/home/u/app", "feat/login", "/home/u/app.feat-login"},
      {"/home/u/app/", "a\\b/c", "/home/u/app.a-b-c"},
      {"/home/u/app", "plain", "/home/u/app.plain"},
      {"app", "x", "app.x"},
      {"/home/u/\xff\xfe", "feat/x", "/home/u/repo.feat-x"},
      {"/", "x", "/repo.x"},
  };
  for (const auto& [repo, branch, expected] : cases) {
    EXPECT_EQ(worktree_path_for_branch(repo, branch), expected) << repo << " " << branch;
  }
}

TEST_F(GitWorktreesTest, MainRootAndSuffixFromEveryWorktree) {
  const fs::path feature = worktree_path_for_branch(repo, "feat/login");
  const fs::path other = root() / "other";
  git(repo, {"worktree", "add", "-q", "-b", "feat/login", feature.string(), "main"});
  git(repo, {"worktree", "add", "-q", "-b", "other", other.string(), "main"});
  fs::create_directories(feature / "sub");

  const std::vector<std::pair<fs::path, std::optional<std::string>>> cases = {
      {repo, std::nullopt},
      {repo.string() + "/", std::nullopt},
      {feature, "feat-login"},
      {feature.string() + "/", "feat-login"},
      {other, std::nullopt},
      {feature / "sub", std::nullopt},
      {root() / "not-a-repo", std::nullopt},
  };
  for (const auto& [dir, suffix] : cases) {
    EXPECT_EQ(worktree_branch_suffix(dir), suffix) << dir;
  }
  log_git_calls();
  for (const fs::path& dir : {repo, feature, feature / "sub", other}) {
    EXPECT_EQ(git_main_repo_root(dir).value(), repo) << dir;
  }
  EXPECT_EQ(git_calls(true).at(0),
            (Args{"-C", repo.string(), "rev-parse", "--path-format=absolute", "--git-common-dir"}));
}

TEST_F(GitWorktreesTest, ListingReadsBranchesDetachedHeadsAndUpstreams) {
  const fs::path feat = root() / "repo.feat";
  const fs::path tracked = root() / "repo.tracked";
  const fs::path detached = root() / "repo.detached";
  git(repo, {"worktree", "add", "-q", "-b", "feat", feat.string(), "main"});
  git(feat, {"push", "-q", "-u", "origin", "feat:feature/feat"});
  git(repo, {"worktree", "add", "-q", "-b", "tracked", tracked.string(), "main"});
  git(tracked, {"branch", "-q", "--set-upstream-to", "origin/main"});
  git(repo, {"worktree", "add", "-q", "--detach", detached.string(), "main"});
  log_git_calls();

  auto entries = git_list_worktrees(repo);
  ASSERT_TRUE(entries) << entries.error().display();
  ASSERT_EQ(entries->size(), 4u);
  // git lists the main checkout first, then the others by path.
  const std::vector<std::tuple<fs::path, std::optional<std::string>, std::optional<std::string>>> expected = {
      {repo, "main", std::nullopt},  // upstream origin/main is the default branch
      {detached, std::nullopt, std::nullopt},
      {feat, "feat", "feat"},  // origin/feature/feat: the last component
      {tracked, "tracked", std::nullopt},
  };
  for (size_t i = 0; i < expected.size(); ++i) {
    EXPECT_EQ((*entries)[i].path, std::get<0>(expected[i]));
    EXPECT_EQ((*entries)[i].branch, std::get<1>(expected[i]));
    EXPECT_EQ((*entries)[i].upstream, std::get<2>(expected[i]));
  }

  const Args upstream = {"rev-parse", "--abbrev-ref", "--symbolic-full-name", "@{upstream}"};
  std::vector<Args> calls = {
      {"-C", repo.string(), "symbolic-ref", "--quiet", "--short", "refs/remotes/origin/HEAD"},
      {"-C", repo.string(), "worktree", "list", "--porcelain"},
  };
  for (const fs::path& dir : {repo, detached, feat, tracked}) {
    calls.push_back({"-C", dir.string()});
    calls.back().insert(calls.back().end(), upstream.begin(), upstream.end());
  }
  EXPECT_EQ(git_calls(true), calls);
}

TEST_F(GitWorktreesTest, ListingParsesPorcelainLines) {
  // What a future git might print: CRLF, unknown lines, a line before any entry, an
  // upstream query that fails, and a default branch that is not main.
  write_script("git",
               "case \"$3\" in\n"
               "  symbolic-ref) echo origin/trunk ;;\n"
               "  worktree) printf 'branch refs/heads/stray\\nworktree /a/main\\r\\nHEAD 123\\r\\n"
               "branch refs/heads/trunk\\r\\n\\nworktree /b/x \\nbranch topic\\nlocked\\nprunable gone\\n"
               "worktree /c/d\\nbranch refs/heads/d\\ndetached\\n' ;;\n"
               "  rev-parse) case \"$2\" in /a/main) echo origin/trunk ;; /b/x) echo upstream/team/x ;;"
               " *) exit 128 ;; esac ;;\n"
               "esac\n");
  auto entries = git_list_worktrees(repo);
  ASSERT_TRUE(entries) << entries.error().display();
  ASSERT_EQ(entries->size(), 3u);
  EXPECT_EQ((*entries)[0].path, "/a/main");
  EXPECT_EQ((*entries)[0].branch, "trunk");
  EXPECT_EQ((*entries)[0].upstream, std::nullopt);
  EXPECT_EQ((*entries)[1].path, "/b/x");
  EXPECT_EQ((*entries)[1].branch, "topic");
  EXPECT_EQ((*entries)[1].upstream, "x");
  EXPECT_EQ((*entries)[2].path, "/c/d");
  EXPECT_EQ((*entries)[2].branch, std::nullopt);
  EXPECT_EQ((*entries)[2].upstream, std::nullopt);

  write_script("git", "case \"$3\" in worktree) echo broken >&2; exit 1 ;; esac\n");
  auto failed = git_list_worktrees(repo);
  ASSERT_FALSE(failed);
  EXPECT_EQ(failed.error().display(), "git command failed: git worktree list --porcelain");
  EXPECT_EQ(failed.error().stderr, "broken\n");
}

TEST_F(GitWorktreesTest, MainRootNeedsAParentOfTheCommonDirectory) {
  write_script("git", "echo /\n");
  auto root_dir = git_main_repo_root(repo);
  ASSERT_FALSE(root_dir);
  EXPECT_EQ(root_dir.error().display(), "git command failed: git rev-parse --git-common-dir");
  EXPECT_EQ(root_dir.error().stderr, "unable to resolve common dir parent");
}

}  // namespace
}  // namespace varnel
