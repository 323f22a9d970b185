#include <fcntl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <sstream>
#include <thread>

#include "agent/streaming.hpp"
#include "agent_test_support.hpp"

namespace varnel::agent {
namespace {

using testing_support::proc_entries;
using testing_support::read_file;
using testing_support::TempDir;

process::Command sh(std::string script) { return process::Command{"sh", {"-c", std::move(script)}, {}, {}, false}; }

// Echo targets that are files, so the test can read back what was shown.
struct EchoFiles {
  TempDir dir;
  process::Fd out{::open((dir.path() / "out").c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600)};
  process::Fd err{::open((dir.path() / "err").c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600)};

  EchoTargets targets() const { return {out.get(), err.get()}; }
  std::string shown_out() const { return read_file(dir.path() / "out"); }
  std::string shown_err() const { return read_file(dir.path() / "err"); }
};

std::string sorted_lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  std::sort(lines.begin(), lines.end());
  std::string joined;
  for (const auto& l : lines) joined += l + "\n";
  return joined;
}

TEST(AgentStreamingTest, RawLinesAreEchoedAndCapturedAsTheyWere) {
  EchoFiles echo;
  // CRLF, a bare CR, a line longer than the reader's buffer, a line that is not UTF-8 with
  // more output after it, and a final line without a terminator.
  auto result = run_streaming(sh("printf 'one\\r\\ntwo\\n'; printf 'a\\rb\\n'; printf 'e1\\r\\n' >&2;"
                                 "head -c 20000 /dev/zero | tr '\\0' x; echo;"
                                 "printf 'bad \\377 byte\\n'; printf 'after\\n'; printf 'e2' >&2; printf last; exit 3"),
                              EventRendering::Raw, echo.targets());
  ASSERT_TRUE(result.has_value()) << result.error().display();
  const std::string out = "one\ntwo\na\rb\n" + std::string(20000, 'x') + "\nbad \xEF\xBF\xBD byte\nafter\nlast\n";
  EXPECT_EQ(result->exit_code, 3);
  EXPECT_EQ(result->stdout, out);
  EXPECT_EQ(result->stderr, "e1\ne2\n");
  EXPECT_EQ(echo.shown_out(), out);
  EXPECT_EQ(echo.shown_err(), "e1\ne2\n");
}

TEST(AgentStreamingTest, RenderedModesShowEventsAndHideEventLinesOnStderr) {
  const std::string script =
      R"(printf '%s\n' '{"type":"assistant","message":{"content":[{"type":"text","text":"Hi"},)"
      R"({"type":"tool_use","name":"Read","input":{"file_path":"a.py"}}]}}' 'plain text' '{"type":"system"}' )"
      R"('{"type":"message","role":"assistant","content":" there"}' '{"type":"result","duration_ms":2000}';)"
      R"(printf '%s\n' '{"type":"result"}' 'warning: x' >&2)";
  const std::string captured_out =
      R"({"type":"assistant","message":{"content":[{"type":"text","text":"Hi"},)"
      R"({"type":"tool_use","name":"Read","input":{"file_path":"a.py"}}]}})"
      "\nplain text\n"
      R"({"type":"system"})"
      "\n"
      R"({"type":"message","role":"assistant","content":" there"})"
      "\n"
      R"({"type":"result","duration_ms":2000})"
      "\n";
  struct {
    EventRendering rendering;
    std::string shown_err;  // sorted: the two streams interleave as they arrive
  } cases[] = {
      {EventRendering::Plain, "-> Read  a.py\nok (2s)\nwarning: x\n"},
      {EventRendering::Color, "\x1b[32mok (2s)\x1b[0m\n\x1b[90m-> Read  a.py\x1b[0m\nwarning: x\n"},
  };
  for (const auto& c : cases) {
    EchoFiles echo;
    auto result = run_streaming(sh(script), c.rendering, echo.targets());
    ASSERT_TRUE(result.has_value()) << result.error().display();
    EXPECT_EQ(result->exit_code, 0);
    EXPECT_EQ(result->stdout, captured_out);
    EXPECT_EQ(result->stderr, "{\"type\":\"result\"}\nwarning: x\n");
    EXPECT_EQ(echo.shown_out(), "Hiplain text\n there");
    EXPECT_EQ(sorted_lines(echo.shown_err()), c.shown_err);
  }
}

TEST(AgentStreamingTest, EachLineIsShownBeforeTheAgentWritesTheNext) {
  EchoFiles echo;
  const auto go = echo.dir.path() / "go";
  // The agent waits for the test to have seen its first line before it writes the second.
  const std::string script = "printf 'first\\n'; while [ ! -e '" + go.string() + "' ]; do sleep 0.01; done; echo second";
  std::expected<AgentOutput, EngineError> result;
  std::thread run([&] { result = run_streaming(sh(script), EventRendering::Raw, echo.targets()); });
  bool seen = false;
  for (auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
       !seen && std::chrono::steady_clock::now() < deadline;) {
    seen = echo.shown_out() == "first\n";
    if (!seen) std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  std::ofstream(go) << "";
  run.join();
  EXPECT_TRUE(seen) << "the first line was not shown while the agent was still running";
  ASSERT_TRUE(result.has_value());
  EXPECT_EQ(result->stdout, "first\nsecond\n");
}

TEST(AgentStreamingTest, LargeOutputOnBothStreamsIsCapturedWithoutDeadlock) {
  process::Fd null(::open("/dev/null", O_WRONLY | O_CLOEXEC));
  // 8 MB of 100-byte lines to each stream at the same time.
  const std::string o(99, 'o'), e(99, 'e');
  auto result = run_streaming(sh("yes " + o + " | head -n 83886 & yes " + e + " | head -n 83886 >&2; wait"),
                              EventRendering::Raw, {null.get(), null.get()});
  ASSERT_TRUE(result.has_value());
  EXPECT_EQ(result->stdout.size(), 8388600u);
  EXPECT_EQ(result->stderr.size(), 8388600u);
  EXPECT_EQ(result->stdout.find_first_not_of("o\n"), std::string::npos);
  EXPECT_EQ(result->stderr.find_first_not_of("e\n"), std::string::npos);
}

TEST(AgentStreamingTest, NoDescriptorOrThreadOutlivesARun) {
  process::Fd null(::open("/dev/null", O_WRONLY | O_CLOEXEC));
  const auto fds = proc_entries("/proc/self/fd");
  const auto threads = proc_entries("/proc/self/task");
  for (const char* script : {"echo out; echo err >&2", "kill -KILL $$", "exec 1>&- 2>&-; sleep 0.05"}) {
    auto result = run_streaming(sh(script), EventRendering::Plain, {null.get(), null.get()});
    ASSERT_TRUE(result.has_value()) << script;
  }
  auto killed = run_streaming(sh("echo partial; kill -KILL $$"), EventRendering::Raw, {null.get(), null.get()});
  ASSERT_TRUE(killed.has_value());
  EXPECT_EQ(killed->exit_code, 1);
  EXPECT_EQ(killed->stdout, "partial\n");
  auto missing = run_streaming(process::Command{"varnel-no-such-agent", {}, {}, {}, false}, EventRendering::Raw);
  ASSERT_FALSE(missing.has_value());
  EXPECT_EQ(missing.error().display(), "io error: No such file or directory");
  EXPECT_EQ(proc_entries("/proc/self/fd"), fds);
  EXPECT_EQ(proc_entries("/proc/self/task"), threads);
}

}  // namespace
}  // namespace varnel::agent
