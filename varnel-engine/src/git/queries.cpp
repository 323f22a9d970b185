#include "git/internal.hpp"
#include "varnel/engine/git.hpp"
#include "varnel/engine/text.hpp"

namespace varnel {

GitResult<bool> git_is_clean(const std::filesystem::path& repo) {
  auto out = run_git_as(repo, {"status", "--porcelain"}, "git status --porcelain");
  if (!out) return std::unexpected(std::move(out.error()));
  return trim(*out).empty();
}

GitResult<std::string> git_rev_parse(const std::filesystem::path& repo, std::string_view refspec) {
  auto out = run_git(repo, {"rev-parse", std::string(refspec)});
  if (!out) return std::unexpected(std::move(out.error()));
  return std::string(trim(*out));
}

GitResult<std::optional<std::string>> git_current_branch(const std::filesystem::path& dir) {
  auto out = run_git_output(dir, {"symbolic-ref", "--short", "HEAD"});
  if (!out) return std::unexpected(std::move(out.error()));
  if (!out->status.success()) return std::nullopt;
  return std::string(trim(lossy_utf8(out->out)));
}

GitResult<std::string> git_get_default_branch(const std::filesystem::path& repo) {
  auto out = run_git_output(repo, {"symbolic-ref", "--quiet", "--short", "refs/remotes/origin/HEAD"});
  if (!out) return std::unexpected(std::move(out.error()));
  if (!out->status.success()) return std::string("main");
  const std::string text = lossy_utf8(out->out);
  const std::string_view name = trim(text);
  if (name.empty()) return std::string("main");
  if (const auto slash = name.find('/'); slash != std::string_view::npos) {
    const std::string_view rest = trim(name.substr(slash + 1));
    if (!rest.empty()) return std::string(rest);
  }
  return std::string(name);
}

GitResult<void> git_stage_all(const std::filesystem::path& repo) {
  auto out = run_git(repo, {"add", "-A"});
  if (!out) return std::unexpected(std::move(out.error()));
  return {};
}

GitResult<void> git_commit(const std::filesystem::path& repo, std::string_view message) {
  auto out = run_git(repo, {"commit", "-m", std::string(message)});
  if (!out) return std::unexpected(std::move(out.error()));
  return {};
}

GitResult<bool> git_pr_exists(const std::filesystem::path& repo) {
  auto out = run_gh_output(repo, {"pr", "view", "--json", "state", "-q", ".state"});
  if (!out) return std::unexpected(std::move(out.error()));
  if (!out->status.success()) return false;
  return !trim(lossy_utf8(out->out)).empty();
}

GitResult<std::string> git_pr_create_draft(const std::filesystem::path& repo) {
  auto out = run_gh(repo, {"pr", "create", "--draft", "--fill"});
  if (!out) return std::unexpected(std::move(out.error()));
  return std::string(trim(*out));
}

GitResult<void> git_pr_merge_squash_auto(const std::filesystem::path& repo) {
  auto out = run_gh(repo, {"pr", "merge", "--squash", "--auto"});
  if (!out) return std::unexpected(std::move(out.error()));
  return {};
}

void xdg_open(std::string_view target) {
  process::Command command{"xdg-open", {std::string(target)}, {}, {}, true};
  (void)process::run_inherited(command);
}

}  // namespace varnel
