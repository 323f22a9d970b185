#pragma once
// The error of engine operations outside the git layer (context gathering, agent runs).

#include <string>

namespace varnel {

struct EngineError {
  enum class Kind { FlowNotFound, StepNotFound, InvalidFlow, ExecutionFailed, Worktree, Store, Io };

  Kind kind;
  std::string message;

  static EngineError step_not_found(std::string name) { return {Kind::StepNotFound, std::move(name)}; }
  static EngineError execution_failed(std::string message) { return {Kind::ExecutionFailed, std::move(message)}; }
  static EngineError io(std::string message) { return {Kind::Io, std::move(message)}; }

  // The display text, e.g. "execution failed: Empty command".
  std::string display() const;
};

}  // namespace varnel
