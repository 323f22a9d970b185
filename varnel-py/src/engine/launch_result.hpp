#pragma once
// The agent runner's output as the record behind engine.PyLaunchResult.

#include "engine/results.hpp"
#include "varnel/engine/agent.hpp"

namespace varnel::py {

inline engine::LaunchResult launch_result(AgentOutput&& output) {
  return engine::LaunchResult{output.exit_code, std::move(output.stdout), std::move(output.stderr)};
}

}  // namespace varnel::py
