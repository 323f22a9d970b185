#pragma once
// Steps and directions: named Markdown prompts, looked up in the repository, then the
// home directory, then the built-in texts.

#include <expected>
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace varnel {

struct Step {
  std::string name;                     // as asked for, never taken from the file
  std::vector<std::string> directions;  // from the frontmatter, in file order
  std::optional<std::string> model;     // recorded, not acted upon
  std::string content;                  // the text after the frontmatter
  std::optional<bool> interactive;      // recorded, not acted upon

  bool operator==(const Step&) const = default;
};

struct Direction {
  std::string name;
  std::string content;
  std::string source;  // the file's path, or "builtin:<name>"

  bool operator==(const Direction&) const = default;
};

struct Frontmatter {
  std::vector<std::string> directions;
  std::optional<std::string> model;
  std::optional<bool> interactive;
  std::string body;
};

struct LoadError {
  enum class Kind { FlowNotFound, StepNotFound, DirectionNotFound, InvalidFlow, InvalidStep, InvalidDirection, Io };

  Kind kind;
  std::string message;

  static LoadError step_not_found(std::string name) { return {Kind::StepNotFound, std::move(name)}; }
  static LoadError direction_not_found(std::string name) { return {Kind::DirectionNotFound, std::move(name)}; }
  static LoadError invalid_step(std::string message) { return {Kind::InvalidStep, std::move(message)}; }
  static LoadError io(std::string message) { return {Kind::Io, std::move(message)}; }

  // The display text, e.g. "step not found: deploy".
  std::string display() const;
};

// Splits a step text into its YAML frontmatter and body. The frontmatter is the text
// between a "---" at the very start and the next "---" (anywhere, not only at a line
// start); the body follows it, less one leading line feed. Without both markers the
// whole text is the body. Values of the wrong type count as absent; `directions` (a
// string or a sequence of strings) is read, and `direction` only when it gave no names.
// Invalid YAML is InvalidStep with the parser's message.
std::expected<Frontmatter, LoadError> parse_frontmatter(std::string_view text);

// The first of <repo>/.vn/steps/<name>.md, <repo>/.claude/commands/<name>.md and the
// same two under the home directory that exists, else the built-in step. A file that
// exists but cannot be read is Io; it is never skipped for a later candidate.
std::expected<Step, LoadError> load_step(std::string_view name, const std::filesystem::path& repo_root);

// <repo>/.vn/directions/<name>.md when it exists (the whole file), else the built-in.
std::expected<Direction, LoadError> load_direction(std::string_view name, const std::filesystem::path& repo_root);

// The built-in texts, compiled in; names are exact and case-sensitive.
std::optional<std::string_view> builtin_step(std::string_view name);
std::optional<std::string_view> builtin_direction(std::string_view name);
std::span<const std::string_view> builtin_step_names();       // sorted
std::span<const std::string_view> builtin_direction_names();  // sorted

// The Markdown guide that explains the prompt's parts to the agent.
std::string_view product_guide();

}  // namespace varnel
