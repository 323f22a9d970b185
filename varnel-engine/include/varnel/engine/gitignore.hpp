#pragma once
// The rules of one .gitignore file, matched the way git matches them: the last matching
// rule decides, "!" re-includes, and nothing below an ignored directory can be
// re-included. Nested .gitignore files, .git/info/exclude and global excludes are not
// consulted.

#include <filesystem>
#include <memory>
#include <string_view>
#include <vector>

namespace varnel {

class Gitignore {
 public:
  // No rules: nothing is ignored.
  Gitignore();
  Gitignore(Gitignore&&) noexcept;
  Gitignore& operator=(Gitignore&&) noexcept;
  ~Gitignore();

  // The rules of a file's contents. Lines that can never match (an unclosed bracket,
  // an unknown character class, a trailing backslash) add no rule.
  static Gitignore parse(std::string_view text);

  // The rules of the file at `path`; a missing or unreadable file gives no rules.
  static Gitignore load(const std::filesystem::path& path);

  // Returns true iff `path` (relative to the file's directory, '/'-separated, no "."
  // or ".." components) is ignored: one of its parent directories is, or the last rule
  // matching the path itself is not a "!" rule. `is_dir` tells whether the path
  // itself is a directory, for the rules ending in '/'.
  bool ignored(std::string_view path, bool is_dir) const;

  bool empty() const { return rules_.empty(); }

 private:
  struct Rule;
  // The last rule that matches `path` itself (parents not considered), or null.
  const Rule* last_match(std::string_view path, bool is_dir) const;

  std::vector<Rule> rules_;
};

}  // namespace varnel
