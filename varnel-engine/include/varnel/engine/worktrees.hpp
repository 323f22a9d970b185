#pragma once
// Worktrees and branches. Each branch gets its own worktree in a sibling directory of the
// main checkout, named "<repository>.<branch with / and \ as ->" (worktree_path_for_branch);
// worktree_branch_suffix reads that name back.

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "varnel/engine/git.hpp"

namespace varnel {

struct BranchInfo {
  std::string old_branch;  // as git prints it: "HEAD" when it was detached
  std::string old_head;    // the commit id checked out before
  std::string new_branch;
};

struct WorktreeEntry {
  std::filesystem::path path;           // as git lists it
  std::optional<std::string> branch;    // without "refs/heads/"; none when detached
  std::optional<std::string> upstream;  // last "/" component of the upstream; none when there
                                        // is none or it is the repository's default branch
};

// `git worktree add -b <branch> <path> <start_point>`. When git refuses but <path>/.git
// exists (a relative `path` is taken from `repo`, as git takes it), the worktree is
// already there and the call succeeds.
GitResult<void> git_worktree_add(const std::filesystem::path& repo, const std::filesystem::path& path,
                                 std::string_view branch, std::string_view start_point);

// `git worktree move <old_path> <new_path>`.
GitResult<void> git_worktree_move(const std::filesystem::path& repo, const std::filesystem::path& old_path,
                                  const std::filesystem::path& new_path);

// `git worktree remove --force <path>`: local changes in it are discarded.
GitResult<void> git_worktree_remove(const std::filesystem::path& repo, const std::filesystem::path& path);

// Creates branch `name` at HEAD of `worktree` and checks it out; returns what was checked
// out before.
GitResult<BranchInfo> git_create_branch(const std::filesystem::path& worktree, std::string_view name);

// `git branch -D <branch>`: deletes even unmerged work.
GitResult<void> git_delete_local_branch(const std::filesystem::path& repo, std::string_view branch);

// `git push <remote> --delete <branch>`.
GitResult<void> git_delete_remote_branch(const std::filesystem::path& repo, std::string_view remote,
                                         std::string_view branch);

// The worktree directory for `branch`: /home/u/app and feat/login give /home/u/app.feat-login.
// A repository name that is not valid UTF-8 becomes "repo". Runs nothing.
std::filesystem::path worktree_path_for_branch(const std::filesystem::path& repo, std::string_view branch);

// Every worktree of `repo` in git's order, with its branch and upstream.
GitResult<std::vector<WorktreeEntry>> git_list_worktrees(const std::filesystem::path& repo);

// The main checkout of the repository `dir` belongs to, from any of its worktrees.
GitResult<std::filesystem::path> git_main_repo_root(const std::filesystem::path& dir);

// The inverse of worktree_path_for_branch: the (sanitised) branch part of a worktree
// directory's name, or nothing for the main checkout, a directory not named by the rule,
// or any failure.
std::optional<std::string> worktree_branch_suffix(const std::filesystem::path& dir);

}  // namespace varnel
