#include <gtest/gtest.h>

#include <mutex>

#include "agent_test_support.hpp"
#include "varnel/engine/agent.hpp"
#include "varnel/engine/log.hpp"

namespace varnel {
namespace {

using testing_support::PathGuard;
using testing_support::TempDir;
using testing_support::write_script;

struct Seen {
  std::string message;
  log::Level level;
  std::vector<std::pair<std::string, log::Value>> fields;
};

// Records the agent runner's events for the length of a test.
class EventRecorder {
 public:
  EventRecorder() {
    log::set_sink(
        [this](const log::Event& e) {
          if (e.target != "varnel_engine::agent") return;
          Seen seen{std::string(e.message), e.level, {}};
          for (const auto& f : e.fields) seen.fields.emplace_back(std::string(f.name), f.value);
          std::lock_guard lock(mutex_);
          events_.push_back(std::move(seen));
        },
        log::Level::Debug);
  }
  ~EventRecorder() { log::set_sink(nullptr); }
  std::vector<Seen> events() {
    std::lock_guard lock(mutex_);
    return events_;
  }

 private:
  std::mutex mutex_;
  std::vector<Seen> events_;
};

AgentLaunchOptions mode(bool auto_, bool stream) {
  AgentLaunchOptions o;
  o.auto_ = auto_;
  o.stream = stream;
  return o;
}

TEST(LaunchAgentTest, EachModeEmitsItsEventsInOrder) {
  TempDir dir;
  write_script(dir.path(), "claude", "echo hello");
  PathGuard path(dir.path());
  const std::vector<std::string> common = {"launch_agent prepared command", "spawning agent command"};
  struct {
    AgentLaunchOptions options;
    std::vector<std::string> messages;
  } cases[] = {
      {mode(false, false), {"agent spawned (interactive)", "agent interactive completed"}},
      {mode(true, false), {"agent batch completed"}},
      {mode(true, true), {"agent spawned", "agent produced first output", "agent streaming completed"}},
  };
  for (auto& c : cases) {
    c.options.event_rendering = EventRendering::Plain;  // keeps the echo to plain text
    EventRecorder recorder;
    auto result = launch_agent("claude:opus", "", c.options);
    ASSERT_TRUE(result.has_value()) << result.error().display();
    const auto events = recorder.events();
    std::vector<std::string> expected = common;
    expected.insert(expected.end(), c.messages.begin(), c.messages.end());
    std::vector<std::string> messages;
    for (const auto& e : events) messages.push_back(e.message);
    EXPECT_EQ(messages, expected);
    for (const auto& e : events) {
      SCOPED_TRACE(e.message);
      EXPECT_EQ(e.level, e.message == "agent produced first output" ? log::Level::Info : log::Level::Debug);
      if (e.message == "spawning agent command") {
        ASSERT_EQ(e.fields.size(), 2u);
        EXPECT_EQ(e.fields[0].first, "program");
        EXPECT_EQ(std::get<std::string>(e.fields[0].second), "claude");
        EXPECT_EQ(e.fields[1].first, "args");
        EXPECT_NE(std::get<std::string>(e.fields[1].second).find("\"--model\", \"opus\""), std::string::npos);
      } else {
        ASSERT_EQ(e.fields.size(), 1u);
        EXPECT_EQ(e.fields[0].first, "elapsed_ms");
        EXPECT_TRUE(std::holds_alternative<uint64_t>(e.fields[0].second));
      }
    }
  }
}

TEST(LaunchAgentTest, GeminiAloneGetsTheSystemPromptThroughItsEnvironment) {
  TempDir dir;
  for (const char* name : {"gemini", "claude", "codex"}) {
    write_script(dir.path(), name, "printf '%s' \"${GEMINI_SYSTEM_MD-unset}\"");
  }
  PathGuard path(dir.path());
  AgentLaunchOptions o = mode(true, false);
  o.system_prompt_file = "/tmp/sys \xFF.md";
  struct {
    const char* model;
    const char* seen;
  } cases[] = {{"gemini", "/tmp/sys \xEF\xBF\xBD.md"}, {"gemini:flash", "/tmp/sys \xEF\xBF\xBD.md"},
               {"claude", "unset"}, {"codex", "unset"}};
  for (const auto& c : cases) {
    auto result = launch_agent(c.model, "", o);
    ASSERT_TRUE(result.has_value());
    EXPECT_EQ(result->stdout, c.seen) << c.model;
  }
  o.system_prompt_file.reset();
  EXPECT_EQ(launch_agent("gemini", "", o)->stdout, "unset");
}

TEST(LaunchAgentTest, MissingAgentIsAnIoErrorInEveryMode) {
  TempDir dir;
  PathGuard path(dir.path(), /*alone=*/true);
  for (const auto& o : {mode(false, false), mode(true, false), mode(true, true)}) {
    auto result = launch_agent("claude", "prompt", o);
    ASSERT_FALSE(result.has_value());
    EXPECT_EQ(result.error().display(), "io error: No such file or directory");
  }
}

TEST(LaunchAgentTest, MissingWorkingDirectoryIsAnIoError) {
  TempDir dir;
  write_script(dir.path(), "claude", "true");
  PathGuard path(dir.path());
  AgentLaunchOptions o = mode(true, false);
  o.cwd = dir.path() / "gone";
  auto result = launch_agent("claude", "", o);
  ASSERT_FALSE(result.has_value());
  EXPECT_EQ(result.error().display(), "io error: No such file or directory");
}

}  // namespace
}  // namespace varnel
