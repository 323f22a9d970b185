#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "temp_tree.hpp"
#include "varnel/engine/changes.hpp"

namespace varnel {
namespace {

namespace fs = std::filesystem;

TEST(ReferenceFilesTest, OnlyReadableTextFilesOutsideTheExclusionsAreTaken) {
  testing::TempTree t;
  const fs::path root = t.mkdir("repo");
  t.write("repo/.gitignore", "*.log\nbuild/\n!keep.log\n");
  t.write("repo/notes.md", "notes");
  t.write("repo/src/main.c", "int main;");
  t.mkdir("repo/adir");
  t.write("repo/package-lock.json", "{}");
  t.write("repo/sub/Cargo.lock", "lock");
  t.write("repo/cargo.lock", "not a lock name: case matters");
  t.write("repo/.vn/config.yaml", "x: 1");
  t.write("repo/app.log", "ignored");
  t.write("repo/keep.log", "re-included");
  t.write("repo/build/keep.log", "under an ignored directory");
  t.write("repo/zero.txt", std::string("a\0b", 3));
  t.write("repo/latin1.txt", "caf\xe9");
  t.write("outside.txt", "outside");
  fs::create_symlink("notes.md", root / "alias.md");

  const std::vector<std::string> paths = {
      "notes.md",        "adir",          "package-lock.json", "sub/Cargo.lock", "cargo.lock",
      ".vn/config.yaml", "app.log",       "keep.log",          "build/keep.log", "zero.txt",
      "latin1.txt",      "missing.txt",   (root / "notes.md").string(),          "./notes.md",
      "alias.md",        "./src/main.c",  (t / "outside.txt").string(),
  };
  const auto docs = collect_reference_files(root, paths);

  std::vector<std::pair<std::string, std::string>> got;
  for (const auto& d : docs) {
    got.emplace_back(d.name, d.content);
    EXPECT_EQ(d.kind, "diff_files");
  }
  EXPECT_EQ(got, (std::vector<std::pair<std::string, std::string>>{
                     {"notes.md", "notes"},
                     {"cargo.lock", "not a lock name: case matters"},
                     {"keep.log", "re-included"},
                     {"src/main.c", "int main;"},
                     {(t / "outside.txt").string(), "outside"},
                 }));
}

TEST(ReferenceFilesTest, WithoutGitignoreNothingIsIgnored) {
  testing::TempTree t;
  t.write("a.log", "log");
  const auto docs = collect_reference_files(t.path(), {"a.log"});
  ASSERT_EQ(docs.size(), 1u);
  EXPECT_EQ(docs[0].name, "a.log");
}

}  // namespace
}  // namespace varnel
