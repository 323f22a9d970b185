#pragma once
// The git command layer: running git and gh, the error they share, and the simple
// repository queries and actions. No git library is linked; every operation runs the
// `git` program as "git" "-C" <dir> <args...>, and every pull-request operation runs `gh`
// with <dir> as its working directory. Arguments are handed to the program one by one;
// nothing goes through a shell.
//
// Worktrees and branches: varnel/engine/worktrees.hpp. Land, rebase, push and sync:
// varnel/engine/land.hpp. Branch names: varnel/engine/branch_names.hpp.

#include <expected>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "varnel/engine/process.hpp"

namespace varnel {

// The error of every operation of the git layer.
struct GitError {
  enum class Kind { CommandFailed, Io };

  Kind kind;
  // CommandFailed: the command line as the user would type it ("git rev-parse HEAD").
  std::string command;
  // CommandFailed: the program's standard error, lossily decoded and untrimmed. Kept for
  // callers that want it; it is not part of the display text.
  std::string stderr;
  // Io: the operating system's description of the failure to start or wait for a program.
  std::string message;

  static GitError command_failed(std::string command, std::string stderr_text);
  static GitError io(std::string message);

  // "git command failed: {command}" or "io error: {message}".
  std::string display() const;
};

using GitArgs = std::vector<std::string>;

template <typename T>
using GitResult = std::expected<T, GitError>;

// Runners. Each `dir` is a repository or worktree path; relative paths are taken from the
// process's working directory, as git itself takes them.

// Runs git -C `dir` `args...` and returns its raw outcome whatever the exit status; fails
// only when git cannot be started or waited for.
GitResult<process::Output> run_git_output(const std::filesystem::path& dir, const GitArgs& args);

// As run_git_output, then judged: exit 0 gives the standard output as text (untrimmed);
// anything else a command failure "git <args joined by spaces>" with the standard error.
GitResult<std::string> run_git(const std::filesystem::path& dir, const GitArgs& args);

// Runs gh `args...` in the working directory `dir`; raw outcome. A missing `dir` is an
// io error, like a missing gh.
GitResult<process::Output> run_gh_output(const std::filesystem::path& dir, const GitArgs& args);

// As run_gh_output, judged like run_git with the command text "gh <args>".
GitResult<std::string> run_gh(const std::filesystem::path& dir, const GitArgs& args);

// Queries and actions.

// True iff `git status --porcelain` prints nothing but white space (untracked files
// count as changes).
GitResult<bool> git_is_clean(const std::filesystem::path& repo);

// `git rev-parse <refspec>`, trimmed.
GitResult<std::string> git_rev_parse(const std::filesystem::path& repo, std::string_view refspec);

// The checked-out branch, or nothing on a detached HEAD (or any other non-zero exit).
GitResult<std::optional<std::string>> git_current_branch(const std::filesystem::path& dir);

// The remote's default branch as recorded in refs/remotes/origin/HEAD without the remote
// name (origin/release/2 gives release/2); "main" when none is recorded. Only a failure
// to start git is an error.
GitResult<std::string> git_get_default_branch(const std::filesystem::path& repo);

// `git add -A`.
GitResult<void> git_stage_all(const std::filesystem::path& repo);

// `git commit -m <message>`, the message passed as one argument, unchanged.
GitResult<void> git_commit(const std::filesystem::path& repo, std::string_view message);

// True iff gh reports a pull request (in any state) for the checked-out branch. A
// non-zero exit of gh is an answer (false); only a failure to start gh is an error.
GitResult<bool> git_pr_exists(const std::filesystem::path& repo);

// `gh pr create --draft --fill`; returns the new pull request's address.
GitResult<std::string> git_pr_create_draft(const std::filesystem::path& repo);

// `gh pr merge --squash --auto`.
GitResult<void> git_pr_merge_squash_auto(const std::filesystem::path& repo);

// Opens `target` with xdg-open on the user's terminal and waits for it. Never fails: a
// missing xdg-open and its exit status are ignored.
void xdg_open(std::string_view target);

}  // namespace varnel
