#pragma once
// Moving commits between branches and remotes: landing a branch on the main branch,
// rebasing with conflict detection, pushing, fetching and syncing the main branch.
// Nothing done before a failure is undone.

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "varnel/engine/git.hpp"

namespace varnel {

struct LandOutcome {
  std::string merged_commit;  // HEAD of the main branch after landing
  bool branch_deleted;        // the landed branch could be deleted with `git branch -d`
};

struct RebaseOutcome {
  bool success;
  std::optional<std::vector<std::string>> conflicts;  // paths as git prints them; only when
                                                      // the rebase stopped on conflicts
  std::optional<std::string> new_head;                // only after a successful rebase
};

// Lands the branch checked out in `worktree` on `main_branch`: checks out the main branch,
// merges (a merge commit "Merge <branch>" with `merge_commit`, else one squash commit
// "Squash merge <branch>"), then tries a safe delete of the branch. On a failed merge the
// worktree stays on the main branch as git left it. A detached HEAD has no branch to land
// and is refused before anything changes.
GitResult<LandOutcome> git_land(const std::filesystem::path& worktree, bool merge_commit,
                                std::string_view main_branch);

// Rebases the checked-out branch onto `onto` (with `base_commit`: replays only the commits
// after it). A rebase that fails is aborted and reported as `success` false with the
// conflicted paths, if any; it is not an error. A rebase that was already in progress
// before the call is left alone, never aborted.
GitResult<RebaseOutcome> git_rebase(const std::filesystem::path& worktree, std::string_view onto,
                                    std::optional<std::string_view> base_commit = std::nullopt);

// `git push`, with --force-with-lease when asked.
GitResult<void> git_push(const std::filesystem::path& worktree, bool force_with_lease);

// `git push -u <remote> <branch>`.
GitResult<void> git_push_with_upstream(const std::filesystem::path& worktree, std::string_view remote,
                                       std::string_view branch);

// `git fetch <remote> <refspec>`.
GitResult<void> git_fetch(const std::filesystem::path& repo, std::string_view remote, std::string_view refspec);

// Fetches origin's `main_branch`; when `main_branch` is checked out and the tree is clean,
// resets it hard to the fetched commit. Returns false iff it refused a dirty main branch or
// the reset failed; on any other branch, or a detached HEAD, only the fetch happens.
GitResult<bool> git_sync_main(const std::filesystem::path& repo, std::string_view main_branch);

}  // namespace varnel
