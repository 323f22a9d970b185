#pragma once
// Helpers shared by the units of the git layer.

#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>

#include "varnel/engine/git.hpp"

namespace varnel {

// As run_git, but a failure carries `command` as its command text.
GitResult<std::string> run_git_as(const std::filesystem::path& dir, const GitArgs& args, std::string command);

// Ref, remote and revision names never begin with "-", but git would read such an
// argument as an option, and some options (--upload-pack, --receive-pack, --exec) run
// commands. Returns the command failure `command` for the first such name, if any, so
// that the command is never run.
std::optional<GitError> refuse_option_like(std::string_view command, std::initializer_list<std::string_view> names);

}  // namespace varnel
