#include <fmt/format.h>

#include "git/internal.hpp"
#include "varnel/engine/land.hpp"
#include "varnel/engine/text.hpp"

namespace varnel {

GitResult<void> git_push(const std::filesystem::path& worktree, bool force_with_lease) {
  auto out = run_git(worktree, force_with_lease ? GitArgs{"push", "--force-with-lease"} : GitArgs{"push"});
  if (!out) return std::unexpected(std::move(out.error()));
  return {};
}

GitResult<void> git_push_with_upstream(const std::filesystem::path& worktree, std::string_view remote,
                                       std::string_view branch) {
  std::string command = fmt::format("git push -u {} {}", remote, branch);
  if (auto refused = refuse_option_like(command, {remote, branch})) return std::unexpected(std::move(*refused));
  auto out = run_git_as(worktree, {"push", "-u", std::string(remote), std::string(branch)}, std::move(command));
  if (!out) return std::unexpected(std::move(out.error()));
  return {};
}

GitResult<void> git_fetch(const std::filesystem::path& repo, std::string_view remote, std::string_view refspec) {
  std::string command = fmt::format("git fetch {} {}", remote, refspec);
  if (auto refused = refuse_option_like(command, {remote, refspec})) return std::unexpected(std::move(*refused));
  auto out = run_git_as(repo, {"fetch", std::string(remote), std::string(refspec)}, std::move(command));
  if (!out) return std::unexpected(std::move(out.error()));
  return {};
}

GitResult<bool> git_sync_main(const std::filesystem::path& repo, std::string_view main_branch) {
  if (auto fetched = git_fetch(repo, "origin", main_branch); !fetched) {
    return std::unexpected(std::move(fetched.error()));
  }
  auto current = git_current_branch(repo);
  if (!current) return std::unexpected(std::move(current.error()));
  if (!*current || **current != main_branch) return true;
  auto clean = git_is_clean(repo);
  if (!clean) return std::unexpected(std::move(clean.error()));
  if (!*clean) return false;
  auto reset = run_git_output(repo, {"reset", "--hard", fmt::format("origin/{}", main_branch)});
  if (!reset) return std::unexpected(std::move(reset.error()));
  return reset->status.success();
}

}  // namespace varnel
