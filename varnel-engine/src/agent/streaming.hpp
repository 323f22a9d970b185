#pragma once
// The streaming mode of launch_agent.

#include <unistd.h>

#include <expected>

#include "varnel/engine/agent.hpp"
#include "varnel/engine/engine_error.hpp"
#include "varnel/engine/process.hpp"

namespace varnel::agent {

// Where a streaming run shows the agent's lines: the caller's stdout and stderr, except
// in tests.
struct EchoTargets {
  int out = STDOUT_FILENO;
  int err = STDERR_FILENO;
};

// Starts `command` with stdout and stderr on pipes and stdin inherited, shows each line
// on `echo` as it arrives (per `rendering`) and captures it, and waits for the command.
// Both reader threads are joined and both pipes closed before it returns.
std::expected<AgentOutput, EngineError> run_streaming(const process::Command& command, EventRendering rendering,
                                                      EchoTargets echo = {});

}  // namespace varnel::agent
