#include "varnel/engine/land.hpp"

#include <fmt/format.h>

#include "git/internal.hpp"
#include "varnel/engine/text.hpp"

namespace varnel {

namespace {

GitResult<std::string> trimmed(GitResult<std::string> out) {
  if (!out) return std::unexpected(std::move(out.error()));
  return std::string(trim(*out));
}

}  // namespace

GitResult<LandOutcome> git_land(const std::filesystem::path& worktree, bool merge_commit,
                                std::string_view main_branch) {
  if (auto refused = refuse_option_like(fmt::format("git checkout {}", main_branch), {main_branch})) {
    return std::unexpected(std::move(*refused));
  }
  auto branch = trimmed(run_git(worktree, {"rev-parse", "--abbrev-ref", "HEAD"}));
  if (!branch) return std::unexpected(std::move(branch.error()));
  // Detached, the commits would be left behind on no branch while the main branch is
  // reported as landed.
  if (*branch == "HEAD") {
    return std::unexpected(GitError::command_failed("git rev-parse --abbrev-ref HEAD",
                                                    "HEAD is detached: there is no branch to land\n"));
  }
  if (auto out = run_git(worktree, {"checkout", std::string(main_branch)}); !out) {
    return std::unexpected(std::move(out.error()));
  }
  if (merge_commit) {
    auto out = run_git(worktree, {"merge", "--no-ff", *branch, "-m", fmt::format("Merge {}", *branch)});
    if (!out) return std::unexpected(std::move(out.error()));
  } else {
    auto merge = run_git(worktree, {"merge", "--squash", *branch});
    if (!merge) return std::unexpected(std::move(merge.error()));
    auto commit = run_git(worktree, {"commit", "-m", fmt::format("Squash merge {}", *branch)});
    if (!commit) return std::unexpected(std::move(commit.error()));
  }
  auto merged = trimmed(run_git(worktree, {"rev-parse", "HEAD"}));
  if (!merged) return std::unexpected(std::move(merged.error()));
  // The safe delete refuses what git does not consider merged, as after a squash.
  auto deleted = run_git_output(worktree, {"branch", "-d", *branch});
  if (!deleted) return std::unexpected(std::move(deleted.error()));
  return LandOutcome{std::move(*merged), deleted->status.success()};
}

}  // namespace varnel
