#include <fmt/format.h>
#include <fmt/ranges.h>

#include "agent/events.hpp"
#include "agent/streaming.hpp"
#include "varnel/engine/agent.hpp"
#include "varnel/engine/model.hpp"
#include "varnel/engine/text.hpp"

namespace varnel {
namespace {

using agent::Clock;
using agent::timed_event;

std::expected<AgentOutput, EngineError> run_interactive(const process::Command& command) {
  const auto t = Clock::now();
  auto child = process::spawn_inherited(command);
  if (!child) return std::unexpected(EngineError::io(child.error().message));
  timed_event(log::Level::Debug, "agent spawned (interactive)", t);
  auto status = child->wait();
  if (!status) return std::unexpected(EngineError::io(status.error().message));
  timed_event(log::Level::Debug, "agent interactive completed", t);
  return AgentOutput{status->code_or(1), {}, {}};
}

std::expected<AgentOutput, EngineError> run_batch(const process::Command& command) {
  const auto t = Clock::now();
  auto captured = process::run_captured(command);
  if (!captured) return std::unexpected(EngineError::io(captured.error().message));
  timed_event(log::Level::Debug, "agent batch completed", t);
  return AgentOutput{captured->status.code_or(1), lossy_utf8(captured->out), lossy_utf8(captured->err)};
}

}  // namespace

std::expected<AgentOutput, EngineError> launch_agent(std::string_view model, std::string_view prompt,
                                                     const AgentLaunchOptions& options) {
  const auto t0 = Clock::now();
  const ModelSpec spec = parse_model(model);
  AgentLaunchOptions o = options;
  if (!o.model_variant) o.model_variant = spec.variant;

  std::vector<std::string> argv = build_agent_command(spec.backend, o);
  if (argv.empty()) return std::unexpected(EngineError::execution_failed("Empty command"));
  timed_event(log::Level::Debug, "launch_agent prepared command", t0);

  process::Command command;
  command.program = std::move(argv.front());
  command.args.assign(std::make_move_iterator(argv.begin() + 1), std::make_move_iterator(argv.end()));
  if (log::enabled(log::Level::Debug)) {
    // Logged before the prompt is added: prompts can be large and private.
    log::emit({"varnel_engine::agent", log::Level::Debug, "spawning agent command",
               {{"program", command.program}, {"args", fmt::format("{}", command.args)}}});
  }
  // One final argument, whatever it holds ("-x", newlines); an empty prompt adds none.
  if (!prompt.empty()) command.args.emplace_back(prompt);
  if (o.cwd) command.cwd = o.cwd->native();
  if (spec.backend == "gemini" && o.system_prompt_file) {
    command.env.emplace_back("GEMINI_SYSTEM_MD", lossy_utf8(o.system_prompt_file->native()));
  }

  if (!o.auto_) {
    command.inherit_stdin = true;
    return run_interactive(command);
  }
  if (!o.stream) return run_batch(command);
  return agent::run_streaming(command, o.event_rendering);
}

}  // namespace varnel
