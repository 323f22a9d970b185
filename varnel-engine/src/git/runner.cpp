#include <fmt/format.h>
#include <fmt/ranges.h>

#include "varnel/engine/git.hpp"
#include "varnel/engine/text.hpp"
#include "git/internal.hpp"

namespace varnel {

GitError GitError::command_failed(std::string command, std::string stderr_text) {
  return GitError{Kind::CommandFailed, std::move(command), std::move(stderr_text), {}};
}

GitError GitError::io(std::string message) { return GitError{Kind::Io, {}, {}, std::move(message)}; }

std::string GitError::display() const {
  return kind == Kind::Io ? fmt::format("io error: {}", message) : fmt::format("git command failed: {}", command);
}

namespace {

GitResult<process::Output> run(process::Command command) {
  auto out = process::run_captured(command);
  if (!out) return std::unexpected(GitError::io(std::move(out.error().message)));
  return std::move(*out);
}

GitResult<std::string> judge(GitResult<process::Output> out, std::string_view program, const GitArgs& args) {
  if (!out) return std::unexpected(std::move(out.error()));
  if (!out->status.success()) {
    return std::unexpected(
        GitError::command_failed(fmt::format("{} {}", program, fmt::join(args, " ")), lossy_utf8(out->err)));
  }
  return lossy_utf8(out->out);
}

}  // namespace

GitResult<process::Output> run_git_output(const std::filesystem::path& dir, const GitArgs& args) {
  process::Command command{"git", {}, {}, {}, false};
  command.args.reserve(args.size() + 2);
  command.args.push_back("-C");
  command.args.push_back(dir.native());
  command.args.insert(command.args.end(), args.begin(), args.end());
  return run(std::move(command));
}

GitResult<std::string> run_git(const std::filesystem::path& dir, const GitArgs& args) {
  return judge(run_git_output(dir, args), "git", args);
}

GitResult<std::string> run_git_as(const std::filesystem::path& dir, const GitArgs& args, std::string command) {
  auto out = run_git_output(dir, args);
  if (!out) return std::unexpected(std::move(out.error()));
  if (!out->status.success()) {
    return std::unexpected(GitError::command_failed(std::move(command), lossy_utf8(out->err)));
  }
  return lossy_utf8(out->out);
}

std::optional<GitError> refuse_option_like(std::string_view command, std::initializer_list<std::string_view> names) {
  for (std::string_view name : names) {
    if (name.starts_with('-')) {
      return GitError::command_failed(std::string(command),
                                      fmt::format("refusing to pass '{}' where a name is expected\n", name));
    }
  }
  return std::nullopt;
}

GitResult<process::Output> run_gh_output(const std::filesystem::path& dir, const GitArgs& args) {
  return run(process::Command{"gh", args, dir.native(), {}, false});
}

GitResult<std::string> run_gh(const std::filesystem::path& dir, const GitArgs& args) {
  return judge(run_gh_output(dir, args), "gh", args);
}

}  // namespace varnel
