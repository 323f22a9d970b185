#pragma once
// A sandbox for tests of the git layer: a temporary directory with its own HOME (a git
// identity, no system configuration), a repository `repo` on main with one commit, pushed
// to a bare `origin` whose HEAD is recorded, and a bin directory first on PATH for fake
// programs and for a `git` wrapper that logs every call before running the real git.

#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "varnel/engine/process.hpp"

namespace varnel::testing {

namespace fs = std::filesystem;

inline std::string read_file(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

inline void write_file(const fs::path& path, std::string_view text) {
  fs::create_directories(path.parent_path());
  std::ofstream(path, std::ios::binary) << text;
}

// The first `name` on PATH, searched before the sandbox changes PATH.
inline std::string find_on_path(const std::string& name) {
  std::istringstream dirs(getenv("PATH") ? getenv("PATH") : "");
  for (std::string dir; std::getline(dirs, dir, ':');) {
    const fs::path candidate = fs::path(dir) / name;
    if (!dir.empty() && ::access(candidate.c_str(), X_OK) == 0) return candidate;
  }
  return {};
}

// Quotes `text` for /bin/sh (used only to write the fake programs' scripts).
inline std::string sh_quote(std::string_view text) {
  std::string quoted = "'";
  for (char c : text) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return quoted + "'";
}

class GitSandbox : public ::testing::Test {
 protected:
  void SetUp() override {
    real_git_ = find_on_path("git");
    ASSERT_FALSE(real_git_.empty()) << "git must be installed for these tests";
    char pattern[] = "/tmp/varnel-git-XXXXXX";
    ASSERT_NE(::mkdtemp(pattern), nullptr);
    // Resolved, so that paths compare equal to the ones git prints.
    root_ = fs::canonical(pattern);
    bin_ = root_ / "bin";
    fs::create_directories(bin_);
    fs::create_directories(root_ / "home");
    write_file(root_ / "home" / ".gitconfig",
               "[user]\n\tname = Varnel Test\n\temail = test@varnel.invalid\n[init]\n\tdefaultBranch = main\n"
               "[advice]\n\tdetachedHead = false\n[commit]\n\tgpgsign = false\n");
    save_env("HOME", (root_ / "home").string());
    save_env("GIT_CONFIG_NOSYSTEM", "1");
    save_env("PATH", bin_.string() + ":" + (getenv("PATH") ? getenv("PATH") : ""));
    for (const char* name : {"GIT_DIR", "GIT_WORK_TREE", "GIT_INDEX_FILE"}) save_env(name, std::nullopt);

    repo = root_ / "repo";
    origin = root_ / "repo-origin.git";
    fs::create_directories(repo);
    git(repo, {"init", "-q", "-b", "main"});
    write_file(repo / "README.md", "# test repository\n");
    git(repo, {"add", "-A"});
    git(repo, {"commit", "-q", "-m", "initial"});
    git(root_, {"init", "-q", "--bare", "-b", "main", origin.string()});
    git(repo, {"remote", "add", "origin", origin.string()});
    git(repo, {"push", "-q", "-u", "origin", "main"});
    git(repo, {"remote", "set-head", "origin", "main"});
  }

  void TearDown() override {
    for (auto it = saved_env_.rbegin(); it != saved_env_.rend(); ++it) {
      if (it->second) {
        ::setenv(it->first.c_str(), it->second->c_str(), 1);
      } else {
        ::unsetenv(it->first.c_str());
      }
    }
    std::error_code ec;
    if (!root_.empty()) fs::remove_all(root_, ec);
  }

  // Runs the real git for the test's own set-up and checks; returns the trimmed output.
  std::string git(const fs::path& dir, std::vector<std::string> args) {
    args.insert(args.begin(), {"-C", dir.string()});
    auto out = process::run_captured(process::Command{real_git_, args, {}, {}, false});
    EXPECT_TRUE(out && out->status.success()) << "git " << args[2] << " failed: " << (out ? out->err : "");
    if (!out) return {};
    std::string text = out->out;
    while (!text.empty() && (text.back() == '\n' || text.back() == ' ')) text.pop_back();
    return text;
  }

  // Writes `files` and commits them all with `message`; returns the new HEAD.
  std::string commit(const fs::path& dir, const std::vector<std::pair<std::string, std::string>>& files,
                     const std::string& message = "change") {
    for (const auto& [name, text] : files) write_file(dir / name, text);
    git(dir, {"add", "-A"});
    git(dir, {"commit", "-q", "-m", message});
    return git(dir, {"rev-parse", "HEAD"});
  }

  // Puts a `git` first on PATH that records each call's arguments, then runs the real git.
  void log_git_calls() {
    fs::create_directories(root_ / "calls");
    write_script("git", "n=0\nwhile ! /bin/mkdir " + sh_quote((root_ / "calls").string()) +
                            "/$n 2>/dev/null; do n=$((n+1)); done\n"
                            "for a in \"$@\"; do printf '%s\\000' \"$a\"; done > " +
                            sh_quote((root_ / "calls").string()) + "/$n/argv\nexec " + sh_quote(real_git_) +
                            " \"$@\"\n");
  }

  // The argument lists of the logged git calls, in order, each without its leading "-C dir".
  std::vector<std::vector<std::string>> git_calls(bool keep_dir = false) const {
    std::vector<std::vector<std::string>> calls;
    for (int n = 0; fs::exists(root_ / "calls" / std::to_string(n)); ++n) {
      const std::string raw = read_file(root_ / "calls" / std::to_string(n) / "argv");
      std::vector<std::string> argv;
      for (size_t start = 0, end; (end = raw.find('\0', start)) != std::string::npos; start = end + 1) {
        argv.push_back(raw.substr(start, end - start));
      }
      if (!keep_dir && argv.size() >= 2 && argv[0] == "-C") argv.erase(argv.begin(), argv.begin() + 2);
      calls.push_back(std::move(argv));
    }
    return calls;
  }

  // Writes an executable /bin/sh script `name` into the bin directory.
  void write_script(const std::string& name, const std::string& body) {
    const fs::path path = bin_ / name;
    write_file(path, "#!/bin/sh\n" + body);
    fs::permissions(path, fs::perms::owner_all);
  }

  // A fake program that records its arguments (one per line) and working directory in
  // <root>/<name>.argv and <name>.cwd, prints `out` and exits with `code`.
  void fake_program(const std::string& name, const std::string& out, int code) {
    const std::string record = sh_quote((root_ / name).string());
    write_script(name, "for a in \"$@\"; do printf '%s\\n' \"$a\"; done > " + record + ".argv\npwd > " + record +
                           ".cwd\nprintf '%s' " + sh_quote(out) + "\nprintf 'fake stderr' >&2\nexit " +
                           std::to_string(code) + "\n");
  }

  // Sets PATH to the bin directory alone: every program not faked there is missing.
  void only_fakes_on_path() { ::setenv("PATH", bin_.c_str(), 1); }

  void remove_program(const std::string& name) { fs::remove(bin_ / name); }

  const fs::path& root() const { return root_; }
  const std::string& real_git() const { return real_git_; }

  fs::path repo;
  fs::path origin;

 private:
  void save_env(const std::string& name, const std::optional<std::string>& value) {
    const char* old = getenv(name.c_str());
    saved_env_.emplace_back(name, old ? std::optional<std::string>(old) : std::nullopt);
    if (value) {
      ::setenv(name.c_str(), value->c_str(), 1);
    } else {
      ::unsetenv(name.c_str());
    }
  }

  fs::path root_;
  fs::path bin_;
  std::string real_git_;
  std::vector<std::pair<std::string, std::optional<std::string>>> saved_env_;
};

}  // namespace varnel::testing
