#include <gtest/gtest.h>

#include "agent_test_support.hpp"
#include "varnel/engine/agent.hpp"

namespace varnel {
namespace {

using testing_support::PathGuard;
using testing_support::TempDir;
using testing_support::write_script;

TEST(RunCheckedTest, FailuresCarryTheCommandItsTrimmedStderrAndExitCode) {
  TempDir dir;
  write_script(dir.path(), "git", "printf '  error: unable to delete feature: remote ref does not exist \\n\\n' >&2; exit 1");
  write_script(dir.path(), "killed", "kill -TERM $$");
  write_script(dir.path(), "fine", "printf out; printf err >&2; cat");
  PathGuard path(dir.path());

  auto failed = run_checked(process::Command{"git", {"push", "origin", "--delete", "feature"}, {}, {}, false});
  ASSERT_FALSE(failed.has_value());
  EXPECT_EQ(failed.error().exit_code, 1);
  EXPECT_EQ(failed.error().message, "command failed");
  EXPECT_EQ(failed.error().stderr, "error: unable to delete feature: remote ref does not exist");
  EXPECT_EQ(command_line_text(failed.error()), "git push origin --delete feature");
  EXPECT_EQ(failed.error().display(),
            "command failed: git push origin --delete feature\n"
            "error: unable to delete feature: remote ref does not exist");

  auto killed = run_checked(process::Command{"killed", {}, {}, {}, false});
  ASSERT_FALSE(killed.has_value());
  EXPECT_EQ(killed.error().message, "command failed");
  EXPECT_EQ(killed.error().exit_code, std::nullopt);
  EXPECT_EQ(command_line_text(killed.error()), "killed");

  auto missing = run_checked(process::Command{"varnel-no-such-program", {"a\xFF"}, {}, {}, false});
  ASSERT_FALSE(missing.has_value());
  EXPECT_EQ(missing.error().message, "No such file or directory");
  EXPECT_EQ(missing.error().stderr, "");
  EXPECT_EQ(missing.error().exit_code, std::nullopt);
  EXPECT_EQ(command_line_text(missing.error()), "varnel-no-such-program a\xEF\xBF\xBD");

  // Success hands back the raw output; stdin is at end of input even if the caller's
  // has data and the command asks to inherit it.
  int input[2];
  ASSERT_EQ(::pipe(input), 0);
  ASSERT_EQ(::write(input[1], "leak", 4), 4);
  ::close(input[1]);
  const int saved_stdin = ::dup(0);
  ::dup2(input[0], 0);
  ::close(input[0]);
  auto ok = run_checked(process::Command{"fine", {}, {}, {}, /*inherit_stdin=*/true});
  ::dup2(saved_stdin, 0);
  ::close(saved_stdin);
  ASSERT_TRUE(ok.has_value());
  EXPECT_EQ(ok->out, "out");
  EXPECT_EQ(ok->err, "err");
  EXPECT_TRUE(ok->status.success());
}

}  // namespace
}  // namespace varnel
