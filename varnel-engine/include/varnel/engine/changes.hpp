#pragma once
// What an agent sees of the work on the current branch: the branch's diff against the
// main line, in a form sized to the change, and files the caller names.

#include <cstdint>
#include <expected>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "varnel/engine/engine_error.hpp"
#include "varnel/engine/prompt.hpp"

namespace varnel {

struct BranchChanges {
  std::optional<std::string> diff;  // the unified diff or the --stat summary, trimmed
  DiffTier diff_tier = DiffTier::None;
  uint64_t changed_files = 0;       // 0 when not determined
};

// The branch's changes since it left the default branch ("origin/<default>...HEAD"):
// the unified diff when at most 20 files and 800 lines changed and it counts fewer than
// 15000 tokens, else the --stat summary; nothing on "main", on a detached head, or when
// git cannot tell (no origin, no changes). Git runs in `repo_root`; the only error is
// Io, when git cannot be started.
std::expected<BranchChanges, EngineError> collect_diff(const std::filesystem::path& repo_root);

// The readable UTF-8 text files among `paths` (relative to `repo_root` or absolute), in
// order, as kind "diff_files". Skipped without a message: what does not exist or is not
// a regular file, anything under a ".vn" directory, lock files, files the root
// .gitignore ignores, binary files (a zero byte), and a file already taken.
std::vector<ContextDoc> collect_reference_files(const std::filesystem::path& repo_root,
                                                const std::vector<std::string>& paths);

}  // namespace varnel
