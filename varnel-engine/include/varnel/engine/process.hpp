#pragma once
// Starting and waiting for external programs. Every program the engine runs (git, gh,
// agents, lint tools, clipboard readers, xdg-open) goes through this unit.
//
// Children are started with posix_spawnp: found through PATH, given the caller's
// environment (plus `Command::env`), SIGPIPE and SIGXFSZ at their default disposition
// and an empty signal mask. Every pipe is close-on-exec, so a child never inherits
// another child's pipe. Every child is reaped.

#include <expected>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace varnel::process {

struct Command {
  std::string program;                                    // searched for on PATH unless it holds a '/'
  std::vector<std::string> args;                          // the arguments after the program name
  std::optional<std::string> cwd;                         // the child's working directory
  std::vector<std::pair<std::string, std::string>> env;   // set for the child over the caller's environment
  bool inherit_stdin = false;                             // otherwise stdin is /dev/null
};

struct ExitStatus {
  std::optional<int> code;  // present iff the child exited normally
  int signal = 0;           // the terminating signal when it did not

  bool success() const { return code == 0; }
  // The exit code, or `if_signalled` when the child was killed by a signal.
  int code_or(int if_signalled) const { return code.value_or(if_signalled); }
};

// What a captured run produced. The streams are raw bytes; see varnel/engine/text.hpp
// for the lossy conversion to text.
struct Output {
  ExitStatus status;
  std::string out;
  std::string err;
};

// A failure to start or wait for a program; `message` is the operating system's text.
struct IoError {
  std::string message;
};

// Runs `command` to completion with stdout and stderr captured in full. Both pipes are
// drained together, so a child that writes much to both never blocks.
std::expected<Output, IoError> run_captured(const Command& command);

// Runs `command` to completion with stdout and stderr inherited from the caller (and
// stdin too when `inherit_stdin`): interactive runs and fire-and-wait helpers.
std::expected<ExitStatus, IoError> run_inherited(const Command& command);

// An owned file descriptor, closed on destruction.
class Fd {
 public:
  Fd() = default;
  explicit Fd(int fd) : fd_(fd) {}
  Fd(Fd&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}
  Fd& operator=(Fd&& other) noexcept;
  Fd(const Fd&) = delete;
  Fd& operator=(const Fd&) = delete;
  ~Fd() { reset(); }

  int get() const { return fd_; }
  explicit operator bool() const { return fd_ >= 0; }
  void reset();

 private:
  int fd_ = -1;
};

// A running child whose stdout and stderr are pipes owned by the caller. Destroying a
// Child that was not waited for closes its pipes and then reaps it (blocking).
class Child {
 public:
  Child(Child&& other) noexcept;
  Child& operator=(Child&&) = delete;
  Child(const Child&) = delete;
  Child& operator=(const Child&) = delete;
  ~Child();

  int pid() const { return pid_; }
  // The read ends of the child's stdout and stderr; empty once taken.
  Fd take_stdout() { return std::move(out_); }
  Fd take_stderr() { return std::move(err_); }

  // Waits for the child to exit (retrying on EINTR). Call at most once.
  std::expected<ExitStatus, IoError> wait();

 private:
  friend std::expected<Child, IoError> spawn_piped(const Command& command);
  friend std::expected<Child, IoError> spawn_inherited(const Command& command);
  Child(int pid, Fd out, Fd err) : pid_(pid), out_(std::move(out)), err_(std::move(err)) {}

  int pid_ = -1;
  Fd out_;
  Fd err_;
};

// Starts `command` with stdout and stderr connected to new pipes.
std::expected<Child, IoError> spawn_piped(const Command& command);

// Starts `command` with stdout and stderr inherited (and stdin too when `inherit_stdin`),
// like run_inherited, for callers with something to do between start and exit. The
// Child has no pipes.
std::expected<Child, IoError> spawn_inherited(const Command& command);

}  // namespace varnel::process
