#pragma once
// Temporary directories, fake programs on PATH and descriptor counts for the agent tests.

#include <dirent.h>
#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <string>

namespace varnel::testing_support {

class TempDir {
 public:
  TempDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "varnel-test-XXXXXX").string();
    path_ = ::mkdtemp(pattern.data());
  }
  ~TempDir() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  const std::filesystem::path& path() const { return path_; }

 private:
  std::filesystem::path path_;
};

inline std::string read_file(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Writes an executable /bin/sh script `dir/name`.
inline void write_script(const std::filesystem::path& dir, const std::string& name, const std::string& body) {
  const auto path = dir / name;
  std::ofstream(path) << "#!/bin/sh\n" << body << "\n";
  std::filesystem::permissions(path, std::filesystem::perms::owner_all);
}

// Puts `dir` first on PATH (or makes it the whole PATH) until destroyed.
class PathGuard {
 public:
  explicit PathGuard(const std::filesystem::path& dir, bool alone = false) {
    const char* old = ::getenv("PATH");
    saved_ = old ? old : "";
    const std::string value = alone ? dir.string() : dir.string() + ":" + saved_;
    ::setenv("PATH", value.c_str(), 1);
  }
  ~PathGuard() { ::setenv("PATH", saved_.c_str(), 1); }
  PathGuard(const PathGuard&) = delete;
  PathGuard& operator=(const PathGuard&) = delete;

 private:
  std::string saved_;
};

// The entries of a /proc/self directory (fd or task), without the lister's own descriptor.
inline std::set<std::string> proc_entries(const char* dir_path) {
  std::set<std::string> entries;
  DIR* dir = ::opendir(dir_path);
  while (dirent* e = ::readdir(dir)) {
    if (e->d_name[0] != '.' && std::atoi(e->d_name) != ::dirfd(dir)) entries.insert(e->d_name);
  }
  ::closedir(dir);
  return entries;
}

}  // namespace varnel::testing_support
