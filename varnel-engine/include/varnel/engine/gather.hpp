#pragma once
// Gathering everything one agent prompt is made of, for one repository: the step and its
// directions, the repository's documents, the branch's changes, reference files, the
// clipboard, the product guide and the documents above a working area. Gathering reads
// files and runs programs; it never writes.

#include <expected>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "varnel/engine/engine_error.hpp"
#include "varnel/engine/prompt.hpp"

namespace varnel {

struct ContextRequest {
  std::filesystem::path repo_root;      // every relative path is taken from here
  std::vector<std::string> directions;  // loaded after the step's own
  std::vector<std::string> files;       // reference files (see collect_reference_files)
  std::optional<std::string> step;
  std::optional<std::string> message;   // additional instructions from the user
  std::optional<std::string> run_mode;  // copied to the result
  std::optional<std::string> area;      // a working area relative to the root
  std::optional<std::string> wave;      // a wave name: adds roadmap/<wave>/
  bool vndocs = true;                   // scratch/, the wave's roadmap, the root's .md files
  bool diff_files = true;               // the branch's changes
  bool diff = false;                    // the branch's changes, as diff_files
  bool clipboard = false;
};

// Gathers the prompt components of `request`, phase by phase, each phase reported as a
// debug event of target "varnel_engine::prompt". Errors: StepNotFound for a step found
// nowhere; ExecutionFailed around any other step or direction loading error; Io when the
// scratch tree, the wave's roadmap or the root cannot be listed, or git cannot be
// started. No partial result is returned.
std::expected<PromptComponents, EngineError> gather_context(const ContextRequest& request);

}  // namespace varnel
