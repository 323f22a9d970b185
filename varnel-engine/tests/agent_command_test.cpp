#include <gtest/gtest.h>

#include "varnel/engine/agent.hpp"

namespace varnel {
namespace {

using Argv = std::vector<std::string>;

struct Case {
  const char* agent;
  AgentLaunchOptions options;
  Argv argv;
};

AgentLaunchOptions opts(bool auto_, bool stream, bool skip, bool chrome, std::optional<std::string> variant = {},
                        std::optional<std::filesystem::path> cwd = {},
                        std::optional<std::filesystem::path> system_prompt_file = {}) {
  AgentLaunchOptions o;
  o.auto_ = auto_;
  o.stream = stream;
  o.skip_permissions = skip;
  o.chrome = chrome;
  o.model_variant = std::move(variant);
  o.cwd = std::move(cwd);
  o.system_prompt_file = std::move(system_prompt_file);
  return o;
}

TEST(AgentCommandTest, BuildsEachAgentsArgumentVector) {
  const Case cases[] = {
      // claude
      {"claude", opts(true, true, false, false, "opus"),
       {"claude", "--model", "opus", "--print", "--dangerously-skip-permissions", "--output-format", "stream-json",
        "--verbose"}},
      {"claude", opts(false, false, true, true), {"claude", "--chrome", "--dangerously-skip-permissions"}},
      {"claude", opts(false, true, false, false), {"claude"}},  // no event stream outside headless runs
      {"claude", opts(true, false, false, true, "sonnet", "/r", "/p/sys.md"),
       {"claude", "--chrome", "--model", "sonnet", "--append-system-prompt-file", "/p/sys.md", "--print",
        "--dangerously-skip-permissions"}},
      {"claude", opts(false, false, false, false, {}, {}, "/p/\xFFsys.md"),
       {"claude", "--append-system-prompt-file", "/p/\xEF\xBF\xBDsys.md"}},
      {"foo", opts(false, false, true, false), {"claude", "--dangerously-skip-permissions"}},
      {"Claude", opts(true, false, false, false), {"claude", "--print", "--dangerously-skip-permissions"}},
      {"", opts(false, false, false, false), {"claude"}},
      // codex
      {"codex", opts(true, false, false, false, {}, "/r"),
       {"codex", "exec", "-C", "/r", "--sandbox", "workspace-write", "--full-auto"}},
      {"codex", opts(false, false, true, false, "o3"),
       {"codex", "-c", "model=\"o3\"", "--sandbox", "danger-full-access", "-c", "approval_policy=\"never\""}},
      {"codex", opts(false, true, false, true), {"codex", "--json", "--sandbox", "workspace-write"}},
      {"codex", opts(true, true, true, false, "gpt-5", "/w d", "/s.md"),
       {"codex", "exec", "-c", "model_instructions_file=\"/s.md\"", "-c", "model=\"gpt-5\"", "-C", "/w d", "--json",
        "--sandbox", "danger-full-access", "-c", "approval_policy=\"never\""}},
      {"Codex", opts(true, false, false, false), {"claude", "--print", "--dangerously-skip-permissions"}},
      // gemini: the system prompt goes through the environment, and `auto` and `chrome` change nothing
      {"gemini", opts(true, true, true, false, "2.5-pro"),
       {"gemini", "-m", "2.5-pro", "--output-format", "stream-json", "--yolo"}},
      {"gemini", opts(false, true, true, true, "2.5-pro", "/r", "/s.md"),
       {"gemini", "-m", "2.5-pro", "--output-format", "stream-json", "--yolo"}},
      {"gemini", opts(true, false, false, true), {"gemini"}},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(build_agent_command(c.agent, c.options), c.argv) << c.agent << " " << testing::PrintToString(c.argv);
  }
}

}  // namespace
}  // namespace varnel
