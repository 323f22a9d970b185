#include <fmt/format.h>
#include <fmt/ranges.h>

#include <fstream>
#include <system_error>

#include "git/internal.hpp"
#include "varnel/engine/land.hpp"
#include "varnel/engine/text.hpp"

namespace varnel {

namespace fs = std::filesystem;

namespace {

// The git directory of the worktree holding `dir`, found as git finds it: the nearest
// ".git" upwards, either the directory itself or a file "gitdir: <path>".
std::optional<fs::path> git_dir_of(const fs::path& dir) {
  std::error_code ec;
  fs::path here = fs::absolute(dir, ec).lexically_normal();
  if (ec) return std::nullopt;
  for (;;) {
    const fs::path dot_git = here / ".git";
    if (fs::is_directory(dot_git, ec)) return dot_git;
    if (fs::is_regular_file(dot_git, ec)) {
      std::ifstream file(dot_git);
      std::string line;
      if (!std::getline(file, line) || !line.starts_with("gitdir: ")) return std::nullopt;
      return here / fs::path(std::string(trim(std::string_view(line).substr(8))));
    }
    if (!here.has_relative_path()) return std::nullopt;
    here = here.parent_path();
  }
}

// Read from the file system so that no git command is added to the rebase.
bool rebase_in_progress(const fs::path& worktree) {
  const auto git_dir = git_dir_of(worktree);
  std::error_code ec;
  return git_dir && (fs::exists(*git_dir / "rebase-merge", ec) || fs::exists(*git_dir / "rebase-apply", ec));
}

// The output's non-blank lines without their terminators; the paths are not trimmed.
std::vector<std::string> non_blank_lines(std::string_view text) {
  std::vector<std::string> lines;
  while (!text.empty()) {
    const size_t end = text.find('\n');
    std::string_view line = text.substr(0, end);
    text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
    if (line.ends_with('\r')) line.remove_suffix(1);
    if (!trim(line).empty()) lines.emplace_back(line);
  }
  return lines;
}

}  // namespace

GitResult<RebaseOutcome> git_rebase(const fs::path& worktree, std::string_view onto,
                                    std::optional<std::string_view> base_commit) {
  GitArgs args = base_commit ? GitArgs{"rebase", "--onto", std::string(onto), std::string(*base_commit)}
                             : GitArgs{"rebase", std::string(onto)};
  const std::string command = fmt::format("git {}", fmt::join(args, " "));
  if (auto refused = refuse_option_like(command, {onto, base_commit.value_or("")})) {
    return std::unexpected(std::move(*refused));
  }
  // Aborting a rebase the user had already started would throw away their resolutions.
  const bool already_rebasing = rebase_in_progress(worktree);

  auto out = run_git_output(worktree, args);
  if (!out) return std::unexpected(std::move(out.error()));
  if (out->status.success()) {
    auto head = run_git(worktree, {"rev-parse", "HEAD"});
    if (!head) return std::unexpected(std::move(head.error()));
    return RebaseOutcome{true, std::nullopt, std::string(trim(*head))};
  }

  auto diff = run_git(worktree, {"diff", "--name-only", "--diff-filter=U"});
  if (!diff) return std::unexpected(std::move(diff.error()));
  std::vector<std::string> conflicts = non_blank_lines(*diff);
  if (!already_rebasing) {
    auto abort = run_git_output(worktree, {"rebase", "--abort"});
    if (!abort) return std::unexpected(std::move(abort.error()));
  }
  RebaseOutcome outcome{false, std::nullopt, std::nullopt};
  if (!conflicts.empty()) outcome.conflicts = std::move(conflicts);
  return outcome;
}

}  // namespace varnel
