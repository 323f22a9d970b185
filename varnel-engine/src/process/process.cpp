#include "varnel/engine/process.hpp"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <string_view>

extern char** environ;

namespace varnel::process {

Fd& Fd::operator=(Fd&& other) noexcept {
  if (this != &other) {
    reset();
    fd_ = std::exchange(other.fd_, -1);
  }
  return *this;
}

void Fd::reset() {
  if (fd_ >= 0) {
    ::close(fd_);
    fd_ = -1;
  }
}

namespace {

IoError os_error(int err) { return IoError{std::strerror(err)}; }

struct Pipe {
  Fd read;
  Fd write;
};

std::expected<Pipe, IoError> make_pipe() {
  int fds[2];
  if (::pipe2(fds, O_CLOEXEC) != 0) return std::unexpected(os_error(errno));
  return Pipe{Fd(fds[0]), Fd(fds[1])};
}

// The child's environment: the caller's, with `overrides` replacing or adding entries.
std::vector<std::string> child_environment(const std::vector<std::pair<std::string, std::string>>& overrides) {
  std::vector<std::string> env;
  for (char** e = environ; e && *e; ++e) {
    std::string_view entry(*e);
    bool replaced = false;
    for (const auto& [name, value] : overrides) {
      if (entry.size() > name.size() && entry.starts_with(name) && entry[name.size()] == '=') {
        replaced = true;
        break;
      }
    }
    if (!replaced) env.emplace_back(entry);
  }
  for (const auto& [name, value] : overrides) env.push_back(name + "=" + value);
  return env;
}

// Owns the posix_spawn attribute and file-action objects for one start.
class SpawnSetup {
 public:
  SpawnSetup() {
    posix_spawn_file_actions_init(&actions_);
    posix_spawnattr_init(&attr_);
    sigset_t defaults;
    sigemptyset(&defaults);
    sigaddset(&defaults, SIGPIPE);
    sigaddset(&defaults, SIGXFSZ);
    posix_spawnattr_setsigdefault(&attr_, &defaults);
    sigset_t empty;
    sigemptyset(&empty);
    posix_spawnattr_setsigmask(&attr_, &empty);
    posix_spawnattr_setflags(&attr_, POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETSIGMASK);
  }
  ~SpawnSetup() {
    posix_spawn_file_actions_destroy(&actions_);
    posix_spawnattr_destroy(&attr_);
  }
  SpawnSetup(const SpawnSetup&) = delete;
  SpawnSetup& operator=(const SpawnSetup&) = delete;

  void dup_to(int fd, int target) { posix_spawn_file_actions_adddup2(&actions_, fd, target); }
  void null_stdin() { posix_spawn_file_actions_addopen(&actions_, 0, "/dev/null", O_RDONLY, 0); }
  void chdir(const std::string& dir) { posix_spawn_file_actions_addchdir_np(&actions_, dir.c_str()); }

  // Starts the child; returns its pid.
  std::expected<int, IoError> start(const Command& command) {
    if (command.cwd) chdir(*command.cwd);
    if (!command.inherit_stdin) null_stdin();

    std::vector<char*> argv;
    argv.reserve(command.args.size() + 2);
    argv.push_back(const_cast<char*>(command.program.c_str()));
    for (const auto& a : command.args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);

    std::vector<std::string> env_storage;
    std::vector<char*> envp;
    char** env = environ;
    if (!command.env.empty()) {
      env_storage = child_environment(command.env);
      for (auto& e : env_storage) envp.push_back(e.data());
      envp.push_back(nullptr);
      env = envp.data();
    }

    pid_t pid = -1;
    const int rc = ::posix_spawnp(&pid, command.program.c_str(), &actions_, &attr_, argv.data(), env);
    if (rc != 0) return std::unexpected(os_error(rc));
    return pid;
  }

 private:
  posix_spawn_file_actions_t actions_;
  posix_spawnattr_t attr_;
};

std::expected<ExitStatus, IoError> wait_for(int pid) {
  int status = 0;
  for (;;) {
    if (::waitpid(pid, &status, 0) >= 0) break;
    if (errno != EINTR) return std::unexpected(os_error(errno));
  }
  ExitStatus result;
  if (WIFEXITED(status)) {
    result.code = WEXITSTATUS(status);
  } else if (WIFSIGNALED(status)) {
    result.signal = WTERMSIG(status);
  }
  return result;
}

// Reads both pipes until each reaches end of input, whichever has data first.
void drain(Fd& out_fd, Fd& err_fd, std::string& out, std::string& err) {
  char buffer[65536];
  pollfd fds[2] = {{out_fd.get(), POLLIN, 0}, {err_fd.get(), POLLIN, 0}};
  std::string* sinks[2] = {&out, &err};
  int open = 2;
  while (open > 0) {
    const int ready = ::poll(fds, 2, -1);
    if (ready < 0) {
      if (errno == EINTR) continue;
      break;
    }
    for (int i = 0; i < 2; ++i) {
      if (fds[i].fd < 0 || fds[i].revents == 0) continue;
      const ssize_t n = ::read(fds[i].fd, buffer, sizeof buffer);
      if (n > 0) {
        sinks[i]->append(buffer, static_cast<size_t>(n));
      } else if (n == 0 || (errno != EINTR && errno != EAGAIN)) {
        fds[i].fd = -1;  // poll ignores negative descriptors
        --open;
      }
    }
  }
  out_fd.reset();
  err_fd.reset();
}

}  // namespace

std::expected<Output, IoError> run_captured(const Command& command) {
  auto child = spawn_piped(command);
  if (!child) return std::unexpected(child.error());
  Fd out_fd = child->take_stdout();
  Fd err_fd = child->take_stderr();
  Output output;
  drain(out_fd, err_fd, output.out, output.err);
  auto status = child->wait();
  if (!status) return std::unexpected(status.error());
  output.status = *status;
  return output;
}

std::expected<ExitStatus, IoError> run_inherited(const Command& command) {
  SpawnSetup setup;
  auto pid = setup.start(command);
  if (!pid) return std::unexpected(pid.error());
  return wait_for(*pid);
}

std::expected<Child, IoError> spawn_piped(const Command& command) {
  auto out = make_pipe();
  if (!out) return std::unexpected(out.error());
  auto err = make_pipe();
  if (!err) return std::unexpected(err.error());
  SpawnSetup setup;
  setup.dup_to(out->write.get(), 1);
  setup.dup_to(err->write.get(), 2);
  auto pid = setup.start(command);
  if (!pid) return std::unexpected(pid.error());
  // The write ends close here, so the reads see end of input when the child exits.
  return Child(*pid, std::move(out->read), std::move(err->read));
}

std::expected<Child, IoError> spawn_inherited(const Command& command) {
  SpawnSetup setup;
  auto pid = setup.start(command);
  if (!pid) return std::unexpected(pid.error());
  return Child(*pid, Fd(), Fd());
}

Child::Child(Child&& other) noexcept
    : pid_(std::exchange(other.pid_, -1)), out_(std::move(other.out_)), err_(std::move(other.err_)) {}

Child::~Child() {
  if (pid_ > 0) {
    out_.reset();
    err_.reset();
    (void)wait_for(pid_);
  }
}

std::expected<ExitStatus, IoError> Child::wait() {
  if (pid_ <= 0) return std::unexpected(IoError{"child already waited for"});
  auto status = wait_for(std::exchange(pid_, -1));
  return status;
}

}  // namespace varnel::process
