#include "varnel/engine/worktrees.hpp"

#include <fmt/format.h>

#include <algorithm>
#include <system_error>

#include "git/internal.hpp"
#include "varnel/engine/text.hpp"

namespace varnel {

namespace fs = std::filesystem;

namespace {

// "/a/b/" and "/a/b" name the same directory; only the root keeps its separator.
fs::path without_trailing_separators(const fs::path& path) {
  std::string text = path.native();
  while (text.size() > 1 && text.back() == '/') text.pop_back();
  return fs::path(std::move(text));
}

GitResult<void> discard(GitResult<std::string> out) {
  if (!out) return std::unexpected(std::move(out.error()));
  return {};
}

GitResult<std::string> trimmed(GitResult<std::string> out) {
  if (!out) return std::unexpected(std::move(out.error()));
  return std::string(trim(*out));
}

}  // namespace

GitResult<void> git_worktree_add(const fs::path& repo, const fs::path& path, std::string_view branch,
                                 std::string_view start_point) {
  std::string command = fmt::format("git worktree add -b {} {} {}", branch, path.native(), start_point);
  if (auto refused = refuse_option_like(command, {branch, start_point})) return std::unexpected(std::move(*refused));
  auto out = run_git_as(repo, {"worktree", "add", "-b", std::string(branch), path.native(), std::string(start_point)},
                        std::move(command));
  if (!out) {
    // git resolves a relative path from `repo`, so the check must too.
    std::error_code ec;
    if (out.error().kind == GitError::Kind::CommandFailed && fs::exists(repo / path / ".git", ec)) return {};
    return std::unexpected(std::move(out.error()));
  }
  return {};
}

GitResult<void> git_worktree_move(const fs::path& repo, const fs::path& old_path, const fs::path& new_path) {
  return discard(run_git_as(repo, {"worktree", "move", old_path.native(), new_path.native()},
                            fmt::format("git worktree move {} {}", old_path.native(), new_path.native())));
}

GitResult<void> git_worktree_remove(const fs::path& repo, const fs::path& path) {
  return discard(run_git_as(repo, {"worktree", "remove", "--force", path.native()},
                            fmt::format("git worktree remove --force {}", path.native())));
}

GitResult<BranchInfo> git_create_branch(const fs::path& worktree, std::string_view name) {
  auto old_branch = trimmed(run_git(worktree, {"rev-parse", "--abbrev-ref", "HEAD"}));
  if (!old_branch) return std::unexpected(std::move(old_branch.error()));
  auto old_head = trimmed(run_git(worktree, {"rev-parse", "HEAD"}));
  if (!old_head) return std::unexpected(std::move(old_head.error()));
  auto checkout = run_git(worktree, {"checkout", "-b", std::string(name)});
  if (!checkout) return std::unexpected(std::move(checkout.error()));
  return BranchInfo{std::move(*old_branch), std::move(*old_head), std::string(name)};
}

GitResult<void> git_delete_local_branch(const fs::path& repo, std::string_view branch) {
  std::string command = fmt::format("git branch -D {}", branch);
  if (auto refused = refuse_option_like(command, {branch})) return std::unexpected(std::move(*refused));
  return discard(run_git_as(repo, {"branch", "-D", std::string(branch)}, std::move(command)));
}

GitResult<void> git_delete_remote_branch(const fs::path& repo, std::string_view remote, std::string_view branch) {
  std::string command = fmt::format("git push {} --delete {}", remote, branch);
  if (auto refused = refuse_option_like(command, {remote, branch})) return std::unexpected(std::move(*refused));
  return discard(
      run_git_as(repo, {"push", std::string(remote), "--delete", std::string(branch)}, std::move(command)));
}

fs::path worktree_path_for_branch(const fs::path& repo, std::string_view branch) {
  std::string sanitised(branch);
  std::replace_if(sanitised.begin(), sanitised.end(), [](char c) { return c == '/' || c == '\\'; }, '-');

  const fs::path root = without_trailing_separators(repo);
  std::string name = root.filename().native();
  if (name.empty() || name == "." || name == ".." || !is_valid_utf8(name)) name = "repo";
  // "app" has the empty parent, which keeps the result relative like the argument.
  const fs::path parent = root.has_relative_path() ? root.parent_path() : root;
  return parent / fmt::format("{}.{}", name, sanitised);
}

GitResult<fs::path> git_main_repo_root(const fs::path& dir) {
  constexpr std::string_view command = "git rev-parse --git-common-dir";
  auto out = run_git_as(dir, {"rev-parse", "--path-format=absolute", "--git-common-dir"}, std::string(command));
  if (!out) return std::unexpected(std::move(out.error()));
  const fs::path common = without_trailing_separators(fs::path(std::string(trim(*out))));
  if (!common.has_relative_path() || common.parent_path().empty()) {
    return std::unexpected(GitError::command_failed(std::string(command), "unable to resolve common dir parent"));
  }
  return common.parent_path();
}

std::optional<std::string> worktree_branch_suffix(const fs::path& dir) {
  auto root = git_main_repo_root(dir);
  if (!root) return std::nullopt;
  std::error_code ec;
  fs::path absolute = fs::absolute(dir, ec);
  if (ec) absolute = dir;
  const fs::path here = without_trailing_separators(absolute.lexically_normal());
  const fs::path main = without_trailing_separators(root->lexically_normal());
  if (here == main) return std::nullopt;

  const std::string name = here.filename().native();
  const std::string main_name = main.filename().native();
  if (!is_valid_utf8(name) || !is_valid_utf8(main_name)) return std::nullopt;
  const std::string prefix = main_name + ".";
  if (name.size() > prefix.size() && name.starts_with(prefix)) return name.substr(prefix.size());
  return std::nullopt;
}

namespace {

// The upstream's last "/" component, unless it is the default branch. Any failure of the
// query means no upstream.
std::optional<std::string> upstream_of(const fs::path& worktree, std::string_view default_branch) {
  auto out = run_git_output(worktree, {"rev-parse", "--abbrev-ref", "--symbolic-full-name", "@{upstream}"});
  if (!out || !out->status.success()) return std::nullopt;
  const std::string text = lossy_utf8(out->out);
  std::string_view name = trim(text);
  if (name.empty()) return std::nullopt;
  if (const auto slash = name.rfind('/'); slash != std::string_view::npos) name.remove_prefix(slash + 1);
  if (name == default_branch) return std::nullopt;
  return std::string(name);
}

}  // namespace

GitResult<std::vector<WorktreeEntry>> git_list_worktrees(const fs::path& repo) {
  auto default_branch = git_get_default_branch(repo);
  if (!default_branch) return std::unexpected(std::move(default_branch.error()));
  auto out = run_git_output(repo, {"worktree", "list", "--porcelain"});
  if (!out) return std::unexpected(std::move(out.error()));
  if (!out->status.success()) {
    return std::unexpected(GitError::command_failed("git worktree list --porcelain", lossy_utf8(out->err)));
  }

  // Paths keep the bytes git printed: a directory name need not be UTF-8, and a lossy copy
  // would name another directory. Branch names become text.
  std::vector<WorktreeEntry> entries;
  std::string_view rest = out->out;
  while (!rest.empty()) {
    const size_t end = rest.find('\n');
    std::string_view line = rest.substr(0, end);
    rest = end == std::string_view::npos ? std::string_view() : rest.substr(end + 1);
    if (line.ends_with('\r')) line.remove_suffix(1);

    if (line.starts_with("worktree ")) {
      entries.push_back(WorktreeEntry{fs::path(std::string(trim(line.substr(9)))), std::nullopt, std::nullopt});
    } else if (entries.empty()) {
      continue;
    } else if (line.starts_with("branch ")) {
      std::string_view branch = trim(line.substr(7));
      if (branch.starts_with("refs/heads/")) branch.remove_prefix(11);
      entries.back().branch = lossy_utf8(branch);
    } else if (trim(line) == "detached") {
      entries.back().branch.reset();
    }
  }
  for (WorktreeEntry& entry : entries) entry.upstream = upstream_of(entry.path, *default_branch);
  return entries;
}

}  // namespace varnel
