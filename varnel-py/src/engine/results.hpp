#pragma once
// The records behind the engine's result classes. Wrappers return these; the kit
// turns them into instances of the class registered for each.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace varnel::py::engine {

// PyLaunchResult: one agent run.
struct LaunchResult {
  int32_t exit_code = 0;
  std::string stdout_text;  // empty when the run was interactive
  std::string stderr_text;
};

// PyRebaseResult: a rebase by the git layer.
struct RebaseResult {
  bool success = false;
  std::optional<std::vector<std::string>> conflicts;  // absent when none are reported
  std::optional<std::string> new_head;
};

// PyBranchInfo: a branch created and checked out in a worktree.
struct BranchInfo {
  std::string old_branch;
  std::string old_head;
  std::string new_branch;
};

// PyLandResult: a branch landed on the main branch.
struct LandResult {
  std::string merged_commit;
  bool branch_deleted = false;
};

}  // namespace varnel::py::engine
