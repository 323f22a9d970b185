#include "varnel/engine/process.hpp"

#include <dirent.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include <set>
#include <string>

namespace varnel::process {
namespace {

Command sh(std::string script) { return Command{"sh", {"-c", std::move(script)}, {}, {}, false}; }

std::set<std::string> open_descriptors() {
  std::set<std::string> fds;
  DIR* dir = opendir("/proc/self/fd");
  while (dirent* e = readdir(dir)) {
    if (e->d_name[0] != '.' && std::atoi(e->d_name) != dirfd(dir)) fds.insert(e->d_name);
  }
  closedir(dir);
  return fds;
}

TEST(ProcessTest, CapturesBothStreamsAndExitCode) {
  auto out = run_captured(sh("printf 'a\\nb'; printf err >&2; exit 3"));
  ASSERT_TRUE(out.has_value()) << out.error().message;
  EXPECT_EQ(out->out, "a\nb");
  EXPECT_EQ(out->err, "err");
  EXPECT_EQ(out->status.code, 3);
  EXPECT_FALSE(out->status.success());
}

TEST(ProcessTest, LargeOutputOnBothStreamsDoesNotDeadlock) {
  // 4 MB to each stream, interleaved: a runner that drains one pipe at a time blocks here.
  auto out = run_captured(sh("head -c 4194304 /dev/zero | tr '\\0' o & head -c 4194304 /dev/zero | tr '\\0' e >&2; wait"));
  ASSERT_TRUE(out.has_value());
  EXPECT_EQ(out->out.size(), 4194304u);
  EXPECT_EQ(out->err.size(), 4194304u);
  EXPECT_EQ(out->out.find_first_not_of('o'), std::string::npos);
  EXPECT_TRUE(out->status.success());
}

TEST(ProcessTest, MissingProgramIsAnIoErrorWithTheSystemText) {
  auto out = run_captured(Command{"varnel-no-such-program", {}, {}, {}, false});
  ASSERT_FALSE(out.has_value());
  EXPECT_EQ(out.error().message, "No such file or directory");
  auto status = run_inherited(Command{"varnel-no-such-program", {}, {}, {}, false});
  ASSERT_FALSE(status.has_value());
}

TEST(ProcessTest, MissingWorkingDirectoryIsAnIoError) {
  Command c = sh("true");
  c.cwd = "/nonexistent/varnel/dir";
  auto out = run_captured(c);
  ASSERT_FALSE(out.has_value());
  EXPECT_EQ(out.error().message, "No such file or directory");
}

TEST(ProcessTest, SignalledChildHasNoExitCode) {
  auto out = run_captured(sh("kill -TERM $$"));
  ASSERT_TRUE(out.has_value());
  EXPECT_FALSE(out->status.code.has_value());
  EXPECT_EQ(out->status.signal, SIGTERM);
  EXPECT_EQ(out->status.code_or(1), 1);
}

TEST(ProcessTest, WorkingDirectoryEnvironmentAndStdin) {
  Command c = sh("pwd; printf '%s' \"$VARNEL_A\"; cat");
  c.cwd = "/tmp";
  c.env = {{"VARNEL_A", "x y"}, {"PATH", getenv("PATH")}};
  auto out = run_captured(c);
  ASSERT_TRUE(out.has_value());
  // stdin is /dev/null: cat ends at once.
  EXPECT_EQ(out->out, "/tmp\nx y");
}

TEST(ProcessTest, ChildrenStartWithSigpipeAtDefault) {
  struct sigaction ignore {}, saved{};
  ignore.sa_handler = SIG_IGN;
  sigaction(SIGPIPE, &ignore, &saved);  // as the Python interpreter does
  auto out = run_captured(sh("grep SigIgn /proc/self/status"));
  sigaction(SIGPIPE, &saved, nullptr);
  ASSERT_TRUE(out.has_value());
  // SIGPIPE is signal 13: bit 12 of the ignored mask.
  const auto mask = std::stoull(out->out.substr(out->out.find(':') + 1), nullptr, 16);
  EXPECT_EQ(mask & (1ull << 12), 0u) << out->out;
}

TEST(ProcessTest, NoDescriptorOutlivesARun) {
  const auto before = open_descriptors();
  for (int i = 0; i < 3; ++i) {
    ASSERT_TRUE(run_captured(sh("echo hi; echo there >&2")).has_value());
    ASSERT_TRUE(run_inherited(sh("true")).has_value());
    ASSERT_FALSE(run_captured(Command{"varnel-no-such-program", {}, {}, {}, false}).has_value());
  }
  EXPECT_EQ(open_descriptors(), before);
}

TEST(ProcessTest, ChildDoesNotInheritAnotherChildsPipes) {
  auto first = spawn_piped(sh("sleep 0.2"));
  ASSERT_TRUE(first.has_value());
  Fd out = first->take_stdout();
  Fd err = first->take_stderr();
  // The second child reports which of the first child's pipe ends it holds: none.
  const std::string probe = "for fd in " + std::to_string(out.get()) + " " + std::to_string(err.get()) +
                            "; do [ -e /proc/$$/fd/$fd ] && echo $fd; done; true";
  auto second = run_captured(sh(probe));
  ASSERT_TRUE(second.has_value());
  EXPECT_EQ(second->out, "");
  auto status = first->wait();
  ASSERT_TRUE(status.has_value());
  EXPECT_TRUE(status->success());
}

TEST(ProcessTest, DroppedChildIsReaped) {
  int pid = -1;
  {
    auto child = spawn_piped(sh("sleep 0.05"));
    ASSERT_TRUE(child.has_value());
    pid = child->pid();
  }
  EXPECT_EQ(kill(pid, 0), -1);  // reaped: no such process
}

}  // namespace
}  // namespace varnel::process
