#include <fmt/format.h>

#include "varnel/engine/agent.hpp"
#include "varnel/engine/text.hpp"

namespace varnel {

std::expected<process::Output, CommandError> run_checked(const process::Command& command) {
  CommandError error;
  error.program = lossy_utf8(command.program);
  for (const auto& arg : command.args) error.args.push_back(lossy_utf8(arg));

  process::Command captured = command;
  captured.inherit_stdin = false;
  auto output = process::run_captured(captured);
  if (!output) {
    error.message = output.error().message;
    return std::unexpected(std::move(error));
  }
  if (!output->status.success()) {
    error.stderr = std::string(trim(lossy_utf8(output->err)));
    error.message = "command failed";
    error.exit_code = output->status.code;
    return std::unexpected(std::move(error));
  }
  return std::move(*output);
}

std::string command_line_text(const CommandError& error) {
  if (error.args.empty()) return error.program;
  return fmt::format("{} {}", error.program, fmt::join(error.args, " "));
}

std::string CommandError::display() const {
  std::string text = fmt::format("{}: {}", message, command_line_text(*this));
  if (!stderr.empty()) text += "\n" + stderr;
  return text;
}

}  // namespace varnel
