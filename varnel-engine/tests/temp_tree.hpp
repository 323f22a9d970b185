#pragma once
// A temporary directory tree for tests, removed with everything in it (permissions
// restored first) when the object goes.

#include <stdlib.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>

namespace varnel::testing {

class TempTree {
 public:
  TempTree() {
    std::string tmpl = (std::filesystem::temp_directory_path() / "varnel-test-XXXXXX").string();
    if (!mkdtemp(tmpl.data())) throw std::runtime_error("mkdtemp failed");
    root_ = tmpl;
  }
  ~TempTree() {
    std::error_code ec;
    for (auto it = std::filesystem::recursive_directory_iterator(root_, ec);
         !ec && it != std::filesystem::recursive_directory_iterator(); it.increment(ec)) {
      if (!it->is_symlink()) ::chmod(it->path().c_str(), 0700);
    }
    std::filesystem::remove_all(root_, ec);
  }
  TempTree(const TempTree&) = delete;
  TempTree& operator=(const TempTree&) = delete;

  const std::filesystem::path& path() const { return root_; }
  std::filesystem::path operator/(std::string_view relative) const { return root_ / relative; }

  // Writes `bytes` to `relative`, creating its parent directories.
  std::filesystem::path write(std::string_view relative, std::string_view bytes) const {
    const auto target = root_ / relative;
    std::filesystem::create_directories(target.parent_path());
    std::ofstream(target, std::ios::binary) << bytes;
    return target;
  }

  std::filesystem::path mkdir(std::string_view relative) const {
    const auto target = root_ / relative;
    std::filesystem::create_directories(target);
    return target;
  }

  // An executable /bin/sh script.
  std::filesystem::path script(std::string_view relative, std::string_view body) const {
    const auto target = write(relative, "#!/bin/sh\n" + std::string(body) + "\n");
    std::filesystem::permissions(target, std::filesystem::perms::owner_all);
    return target;
  }

 private:
  std::filesystem::path root_;
};

// Sets an environment variable for the life of the object.
class ScopedEnv {
 public:
  ScopedEnv(std::string name, const std::string& value) : name_(std::move(name)) {
    if (const char* old = getenv(name_.c_str())) old_ = old, had_ = true;
    setenv(name_.c_str(), value.c_str(), 1);
  }
  ~ScopedEnv() {
    if (had_) setenv(name_.c_str(), old_.c_str(), 1);
    else unsetenv(name_.c_str());
  }
  ScopedEnv(const ScopedEnv&) = delete;
  ScopedEnv& operator=(const ScopedEnv&) = delete;

 private:
  std::string name_;
  std::string old_;
  bool had_ = false;
};

}  // namespace varnel::testing
