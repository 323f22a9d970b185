#include "varnel/engine/gitignore.hpp"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "varnel/engine/process.hpp"

namespace varnel {
namespace {

namespace fs = std::filesystem;

struct Case {
  std::string gitignore;
  std::vector<std::string> paths;  // a trailing '/' makes a directory
};

// Each case's .gitignore is checked against git itself: the paths are created in a fresh
// repository and git's verdict must equal ours for every one of them.
const Case kCases[] = {
    {"*.log\nbuild/\n/root.txt\ndoc/*.txt\n",
     {"a.log", "sub/b.log", "build/x.c", "sub/build/y.c", "root.txt", "sub/root.txt", "doc/a.txt",
      "doc/sub/b.txt", "other/doc/a.txt", "a.logx"}},
    {"logs/\n", {"x/logs", "logs/a", "deep/logs/"}},
    {"**/foo\na/**/b\nc/**\n**/d/**\nx**y\n",
     {"foo", "q/r/foo", "xfoo", "q/xfoo", "a/b", "a/x/b", "a/x/y/b", "a/xb", "ab", "c/anything/deep", "c2/e", "z/d/e", "d", "xqy",
      "xq/y"}},
    {"?.md\n[abc].txt\n[!x]y.z\n[a-c-e].q\n[]].r\n[[:digit:]][[:upper:]].s\n[\\]x].u\n[^a].v\n",
     {"a.md", "ab.md", "\xC3\xA9.md", "b.txt", "d.txt", "xy.z", "ay.z", "-.q", "e.q", "d.q", "b.q", "].r",
      "1A.s", "1a.s", "x.u", "].u", "y.u", "a.v", "b.v"}},
    {"*.log\n!keep.log\nbuild/\n!build/keep.txt\n",
     {"a.log", "keep.log", "sub/keep.log", "build/keep.txt", "build/other.txt"}},
    {"/cache/*\n!/cache/keep/\n", {"cache/a", "cache/keep/b", "cache/keep/", "sub/cache/a"}},
    {"\\#hash\n\\!bang\ntrail  \nspace\\ \n#comment\n  lead\n",
     {"#hash", "!bang", "trail", "space ", "#comment", "  lead", "lead"}},
    {"\xEF\xBB\xBF" "bom.txt\r\ncr.txt\r\nlast.txt", {"bom.txt", "cr.txt", "last.txt", "other.txt"}},
    {"[abc\nfoo\\\n[[:nope:]]x\nok\n[[:alpha:]\n", {"[abc", "a", "foo\\", "ax", "ok"}},
    {"a/b\n", {"a/b/c", "x/a/b", "a/bc"}},
    {"*\n!*/\n!*.md\n", {"x.md", "x.txt", "sub/y.md", "sub/y.txt"}},
    {"*[[:space:]]*\n[[:punct:]]p\n[[x]\n", {"has space", "nospace", "_p", "ap", "[", "x"}},
};

class GitignoreTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char tmpl[] = "/tmp/varnel-gitignore-XXXXXX";
    ASSERT_NE(mkdtemp(tmpl), nullptr);
    base_ = tmpl;
  }
  void TearDown() override { fs::remove_all(base_); }

  process::Output git(const fs::path& dir, std::vector<std::string> args) {
    process::Command c{"git", std::move(args), dir.string(), {}, false};
    // No user or system configuration: no global excludes file.
    c.env = {{"HOME", base_.string()}, {"XDG_CONFIG_HOME", base_.string()}, {"GIT_CONFIG_NOSYSTEM", "1"}};
    auto out = process::run_captured(c);
    EXPECT_TRUE(out.has_value());
    return out.value_or(process::Output{});
  }

  fs::path base_;
};

TEST_F(GitignoreTest, AgreesWithGitCheckIgnore) {
  int n = 0;
  for (const Case& c : kCases) {
    const fs::path repo = base_ / std::to_string(n++);
    fs::create_directories(repo);
    ASSERT_TRUE(git(repo, {"init", "-q"}).status.success());
    std::ofstream(repo / ".gitignore", std::ios::binary) << c.gitignore;
    for (const std::string& p : c.paths) {
      const bool dir = p.ends_with('/');
      const std::string rel = dir ? p.substr(0, p.size() - 1) : p;
      if (dir) {
        fs::create_directories(repo / rel);
      } else {
        fs::create_directories((repo / rel).parent_path());
        std::ofstream(repo / rel) << "x";
      }
    }
    const Gitignore ours = Gitignore::parse(c.gitignore);
    for (const std::string& p : c.paths) {
      const bool dir = p.ends_with('/');
      const std::string rel = dir ? p.substr(0, p.size() - 1) : p;
      // Exit status 0: ignored; 1: not ignored.
      const process::Output out = git(repo, {"check-ignore", "--no-index", "-q", "--", rel});
      ASSERT_TRUE(out.status.code == 0 || out.status.code == 1) << out.err;
      EXPECT_EQ(ours.ignored(rel, dir), out.status.code == 0) << "path '" << rel << "' with .gitignore:\n"
                                                               << c.gitignore;
    }
  }
}

TEST_F(GitignoreTest, MissingOrEmptyFileIgnoresNothing) {
  const Gitignore missing = Gitignore::load(base_ / "no-such-file");
  EXPECT_TRUE(missing.empty());
  EXPECT_FALSE(missing.ignored("a.log", false));
  const Gitignore a_directory = Gitignore::load(base_);
  EXPECT_FALSE(a_directory.ignored("a.log", false));
  std::ofstream(base_ / ".gitignore") << "*.log\n";
  EXPECT_TRUE(Gitignore::load(base_ / ".gitignore").ignored("x/a.log", false));
}

TEST(GitignoreGlobTest, ManyStarsStayLinear) {
  // A backtracking matcher takes exponential time on this pair.
  const Gitignore rules = Gitignore::parse(std::string(40, '*').insert(0, "a") + "b\n" + "**/" + std::string(30, '*') + "/**/x*y*z*q\n");
  EXPECT_FALSE(rules.ignored(std::string(5000, 'a'), false));
  EXPECT_FALSE(rules.ignored(std::string(2000, 'a') + "/" + std::string(3000, 'x'), false));
}

}  // namespace
}  // namespace varnel
