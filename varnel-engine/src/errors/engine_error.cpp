#include "varnel/engine/engine_error.hpp"

namespace varnel {

std::string EngineError::display() const {
  const char* prefix = "";
  switch (kind) {
    case Kind::FlowNotFound: prefix = "flow not found: "; break;
    case Kind::StepNotFound: prefix = "step not found: "; break;
    case Kind::InvalidFlow: prefix = "invalid flow: "; break;
    case Kind::ExecutionFailed: prefix = "execution failed: "; break;
    case Kind::Worktree: prefix = "worktree error: "; break;
    case Kind::Store: prefix = "store error: "; break;
    case Kind::Io: prefix = "io error: "; break;
  }
  return prefix + message;
}

}  // namespace varnel
