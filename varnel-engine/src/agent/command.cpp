#include "varnel/engine/agent.hpp"
#include "varnel/engine/text.hpp"

namespace varnel {
namespace {

std::string path_text(const std::filesystem::path& path) { return lossy_utf8(path.native()); }

std::vector<std::string> claude_command(const AgentLaunchOptions& o) {
  std::vector<std::string> argv{"claude"};
  if (o.chrome) argv.emplace_back("--chrome");
  if (o.model_variant) argv.insert(argv.end(), {"--model", *o.model_variant});
  if (o.system_prompt_file) argv.insert(argv.end(), {"--append-system-prompt-file", path_text(*o.system_prompt_file)});
  if (o.auto_) {
    // A headless run cannot answer permission prompts, so it always skips them.
    argv.insert(argv.end(), {"--print", "--dangerously-skip-permissions"});
    if (o.stream) argv.insert(argv.end(), {"--output-format", "stream-json", "--verbose"});
  } else if (o.skip_permissions) {
    argv.emplace_back("--dangerously-skip-permissions");
  }
  return argv;
}

std::vector<std::string> codex_command(const AgentLaunchOptions& o) {
  std::vector<std::string> argv{"codex"};
  if (o.auto_) argv.emplace_back("exec");
  if (o.system_prompt_file) {
    argv.insert(argv.end(), {"-c", "model_instructions_file=\"" + path_text(*o.system_prompt_file) + "\""});
  }
  if (o.model_variant) argv.insert(argv.end(), {"-c", "model=\"" + *o.model_variant + "\""});
  if (o.cwd) argv.insert(argv.end(), {"-C", path_text(*o.cwd)});
  if (o.stream) argv.emplace_back("--json");
  if (o.skip_permissions) {
    argv.insert(argv.end(), {"--sandbox", "danger-full-access", "-c", "approval_policy=\"never\""});
  } else {
    argv.insert(argv.end(), {"--sandbox", "workspace-write"});
    if (o.auto_) argv.emplace_back("--full-auto");
  }
  return argv;
}

// gemini takes its system prompt through GEMINI_SYSTEM_MD (set by the runner), and has
// no separate headless flag.
std::vector<std::string> gemini_command(const AgentLaunchOptions& o) {
  std::vector<std::string> argv{"gemini"};
  if (o.model_variant) argv.insert(argv.end(), {"-m", *o.model_variant});
  if (o.stream) argv.insert(argv.end(), {"--output-format", "stream-json"});
  if (o.skip_permissions) argv.emplace_back("--yolo");
  return argv;
}

}  // namespace

std::vector<std::string> build_agent_command(std::string_view agent, const AgentLaunchOptions& options) {
  if (agent == "codex") return codex_command(options);
  if (agent == "gemini") return gemini_command(options);
  return claude_command(options);
}

}  // namespace varnel
