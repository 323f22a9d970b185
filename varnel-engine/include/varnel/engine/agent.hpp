#pragma once
// Running the agent programs (claude, codex, gemini) for a prompt, and the checked command
// runner the ops layer uses for its own programs.

#include <cstdint>
#include <expected>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "varnel/engine/engine_error.hpp"
#include "varnel/engine/process.hpp"

namespace varnel {

// How a streaming run shows the agent's output lines.
enum class EventRendering {
  Raw,    // every line unchanged
  Plain,  // agent events rendered as text; other lines unchanged
  Color,  // the same with ANSI colours
};

struct AgentLaunchOptions {
  // Passed to the agent; when absent, launch_agent takes the model specification's variant.
  std::optional<std::string> model_variant;
  std::optional<std::filesystem::path> cwd;
  // Extra system instructions, read by the agent itself.
  std::optional<std::filesystem::path> system_prompt_file;
  // Headless: the agent works on its own and exits (`auto` in Python). Otherwise the agent
  // gets the terminal for an interactive session.
  bool auto_ = false;
  // In a headless run, have the agent emit its event stream and read it live.
  bool stream = false;
  bool skip_permissions = false;
  // The agent's browser integration (claude only).
  bool chrome = false;
  EventRendering event_rendering = EventRendering::Raw;
};

struct AgentOutput {
  int32_t exit_code = 0;  // 1 when the agent was killed by a signal
  std::string stdout;     // empty for interactive runs
  std::string stderr;
};

// The argument vector (program name first, no prompt) that starts agent `agent` with
// `options`: "codex" and "gemini" get their own flags; every other name, compared exactly,
// gets claude's. Paths appear as lossy UTF-8 text.
std::vector<std::string> build_agent_command(std::string_view agent, const AgentLaunchOptions& options);

// Starts the agent of model specification `model` ("backend" or "backend:variant") with
// `prompt` as its final argument (none when empty) and blocks until it exits:
//   interactive (!auto_): the agent inherits stdin, stdout and stderr; the texts stay empty;
//   batch (auto_, !stream): stdin is /dev/null, both streams are captured in full;
//   streaming (auto_ && stream): stdin is inherited, and each line the agent writes is
//     shown at once on our stdout or stderr (per `event_rendering`) and captured.
// Captured text is lossy UTF-8, and in streaming mode each line ends with "\n" (a "\r"
// before it is dropped). A program that cannot be started is an Io error; an agent that
// exits non-zero is not an error.
std::expected<AgentOutput, EngineError> launch_agent(std::string_view model, std::string_view prompt,
                                                     const AgentLaunchOptions& options);

// The failure of run_checked.
struct CommandError {
  std::string program;
  std::vector<std::string> args;
  std::string stderr;                // trimmed; empty when the program could not start
  std::string message;               // "command failed", or the operating system's text
  std::optional<int32_t> exit_code;  // absent when it could not start or was killed

  // "<message>: <command line>", then the standard error on a line of its own if any.
  std::string display() const;
};

// Runs `command` to completion with both streams captured (stdin /dev/null). Succeeds
// iff the program started and exited with status 0.
std::expected<process::Output, CommandError> run_checked(const process::Command& command);

// The program and its arguments joined by single spaces.
std::string command_line_text(const CommandError& error);

}  // namespace varnel
