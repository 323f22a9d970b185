#include "prompt/gather/documents.hpp"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <string>
#include <vector>

#include "temp_tree.hpp"

namespace varnel::prompt {
namespace {

namespace fs = std::filesystem;

std::vector<std::string> names(const std::vector<ContextDoc>& docs) {
  std::vector<std::string> out;
  for (const auto& d : docs) out.push_back(d.name);
  return out;
}

TEST(GatherDocumentsTest, MarkdownExtensionIsExactlyLowerCaseMd) {
  const std::pair<std::string, bool> cases[] = {
      {"a.md", true},   {"a.b.md", true}, {"..md", true},    {".md", false},
      {"a.MD", false},  {"a.Md", false},  {"md", false},     {"a.md.txt", false},
      {"a.mdx", false}, {"a.", false},    {"a.md~", false},
  };
  for (const auto& [name, expected] : cases) EXPECT_EQ(has_md_extension(name), expected) << name;
}

TEST(GatherDocumentsTest, ScratchWalkIsDepthFirstAndSkipsWhatCannotBeRead) {
  testing::TempTree t;
  t.write("scratch/a.md", "A");
  t.write("scratch/b.txt", "not markdown");
  t.write("scratch/UPPER.MD", "not markdown either");
  t.write("scratch/.md", "no extension");
  t.write("scratch/sub/c.md", "C");
  t.write("scratch/sub/deeper/d.md", "D");
  t.write("scratch/bad.md", "\xff\xfe not UTF-8");
  t.write("scratch/\xff-name.md", "odd name");
  t.mkdir("scratch/dir.md");
  t.write("scratch/dir.md/inside.md", "I");
  fs::create_symlink("..", t / "scratch/sub/loop");               // a cycle back to scratch
  fs::create_symlink("self.md", t / "scratch/self.md");            // a link to itself
  fs::create_symlink("missing", t / "scratch/broken.md");
  fs::create_symlink("a.md", t / "scratch/alias.md");               // a link to a file is read
  ASSERT_EQ(mkfifo((t / "scratch/notes.md").c_str(), 0644), 0);  // must not block

  std::vector<ContextDoc> docs;
  ASSERT_TRUE(add_scratch_docs(t / "scratch", docs).has_value());

  std::vector<std::string> got = names(docs);
  std::vector<std::string> sorted = got;
  std::sort(sorted.begin(), sorted.end());
  EXPECT_EQ(sorted, (std::vector<std::string>{"deeper/d.md", "dir.md/inside.md", "scratch/a.md", "scratch/alias.md",
                                              "scratch/\xEF\xBF\xBD-name.md", "sub/c.md"}));
  for (const auto& d : docs) EXPECT_EQ(d.kind, "scratch");
  // Depth first: deeper/d.md is taken while sub is being walked, right after or before c.md.
  const auto c = std::find(got.begin(), got.end(), "sub/c.md") - got.begin();
  const auto d = std::find(got.begin(), got.end(), "deeper/d.md") - got.begin();
  EXPECT_EQ(std::abs(c - d), 1);
}

TEST(GatherDocumentsTest, LinkedDirectoriesAreWalkedOnce) {
  testing::TempTree t;
  // Each level links twice to the next: walking every path would take 2^20 visits.
  for (int i = 0; i < 20; ++i) {
    const std::string dir = "scratch/l" + std::to_string(i);
    t.write(dir + "/n.md", std::to_string(i));
    fs::create_symlink("../l" + std::to_string(i + 1), t / (dir + "/x"));
    fs::create_symlink("../l" + std::to_string(i + 1), t / (dir + "/y"));
  }
  std::vector<ContextDoc> docs;
  ASSERT_TRUE(add_scratch_docs(t / "scratch", docs).has_value());
  EXPECT_EQ(docs.size(), 20u);
}

TEST(GatherDocumentsTest, RootAndRoadmapDocumentsAreSortedByteWise) {
  testing::TempTree t;
  for (const char* name : {"b.md", "README.md", "A.md", "a.md", "_.md", "z.MD", "notes.txt"}) t.write(name, name);
  t.write("sub/inner.md", "not at the root");
  t.mkdir("folder.md");
  fs::create_symlink("a.md", t / "link.md");
  ASSERT_EQ(mkfifo((t / "fifo.md").c_str(), 0644), 0);
  t.write("roadmap/w/b.md", "wb");
  t.write("roadmap/w/a.md", "wa");
  t.write("roadmap/w/README.md", "wr");
  t.write("roadmap/w/c.txt", "no");
  t.write("roadmap/other/x.md", "other wave");

  std::vector<ContextDoc> docs;
  ASSERT_TRUE(add_roadmap_docs(t.path(), "w", docs).has_value());
  ASSERT_TRUE(add_roadmap_docs(t.path(), "missing", docs).has_value());
  ASSERT_TRUE(add_root_docs(t.path(), docs).has_value());
  EXPECT_EQ(names(docs), (std::vector<std::string>{"roadmap/w/README.md", "roadmap/w/a.md", "roadmap/w/b.md", "A.md",
                                                   "README.md", "_.md", "a.md", "b.md", "link.md"}));
  EXPECT_EQ(docs[0].kind, "roadmap");
  EXPECT_EQ(docs[0].content, "wr");
  EXPECT_EQ(docs.back().kind, "docs");
  EXPECT_EQ(docs.back().content, "a.md");

  std::vector<ContextDoc> none;
  auto missing_root = add_root_docs(t / "no-such-dir", none);
  ASSERT_FALSE(missing_root.has_value());
  EXPECT_EQ(missing_root.error().display(), "io error: No such file or directory: " + (t / "no-such-dir").string());
}

TEST(GatherDocumentsTest, AreaAncestorsOutermostFirst) {
  const std::pair<std::string, std::vector<std::string>> cases[] = {
      {"src", {}},
      {"src/api", {"src"}},
      {"a/b/c", {"a", "a/b"}},
      {"./a//b/", {"a"}},
      {"/abs/x", {"abs"}},
      {"", {}},
  };
  for (const auto& [area, expected] : cases) EXPECT_EQ(area_ancestors(area), expected) << area;
}

TEST(GatherDocumentsTest, AreaDocumentsComeFromEachAncestorInTurn) {
  testing::TempTree t;
  t.write("a/z.md", "az");
  t.write("a/m.md", "am");
  t.write("a/b/y.md", "aby");
  t.write("a/b/c/own.md", "the area's own documents are not taken");
  t.write("top.md", "the root is not an ancestor");
  t.write("a/b/x.txt", "no");
  const auto docs = area_docs(t.path(), "a/b/c");
  EXPECT_EQ(names(docs), (std::vector<std::string>{"a/m.md", "a/z.md", "a/b/y.md"}));
  EXPECT_EQ(docs[2].kind, "area");
  EXPECT_EQ(docs[2].content, "aby");
  EXPECT_TRUE(area_docs(t.path(), "a").empty());
  EXPECT_TRUE(area_docs(t.path(), "missing/deep/area").empty());
}

// Runs `check` in a child process without root's power over permissions; its result
// comes back as the exit status.
template <class Check>
bool passes_as_nobody(Check check) {
  const pid_t pid = fork();
  if (pid == 0) {
    if (geteuid() == 0 && setuid(65534) != 0) _exit(2);
    _exit(check() ? 0 : 1);
  }
  int status = 0;
  return pid > 0 && waitpid(pid, &status, 0) == pid && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

TEST(GatherDocumentsTest, UnreadableFilesAreSkippedAndUnlistableDirectoriesFail) {
  testing::TempTree t;
  fs::permissions(t.path(), fs::perms::all);
  t.write("scratch/ok.md", "ok");
  fs::permissions(t.write("scratch/secret.md", "hidden"), fs::perms::none);
  EXPECT_TRUE(passes_as_nobody([&] {
    std::vector<ContextDoc> seen;
    return add_scratch_docs(t / "scratch", seen) && names(seen) == std::vector<std::string>{"scratch/ok.md"};
  }));

  fs::permissions(t.mkdir("scratch/locked"), fs::perms::none);
  EXPECT_TRUE(passes_as_nobody([&] {
    std::vector<ContextDoc> seen;
    auto walked = add_scratch_docs(t / "scratch", seen);
    return !walked && walked.error().display() == "io error: Permission denied: " + (t / "scratch/locked").string();
  }));
}

}  // namespace
}  // namespace varnel::prompt
