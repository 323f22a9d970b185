#include "prompt/gather/read_file.hpp"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "varnel/engine/process.hpp"

namespace varnel::prompt {

std::expected<std::string, int> read_regular_file(const std::filesystem::path& path) {
  // O_NONBLOCK: opening a FIFO without a writer must not wait. The type is checked on
  // the open descriptor, so a file swapped after the check is never read.
  process::Fd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK));
  if (!fd) return std::unexpected(errno);
  struct stat st {};
  if (::fstat(fd.get(), &st) != 0) return std::unexpected(errno);
  if (!S_ISREG(st.st_mode)) return std::unexpected(EINVAL);

  // Read the size fstat reported, then on to the end in small steps: the file may have
  // changed since, and most documents are far smaller than any fixed buffer.
  std::string bytes(static_cast<size_t>(st.st_size), '\0');
  size_t filled = 0;
  char more[4096];
  for (;;) {
    const bool within = filled < bytes.size();
    char* to = within ? bytes.data() + filled : more;
    const size_t room = within ? bytes.size() - filled : sizeof more;
    const ssize_t n = ::read(fd.get(), to, room);
    if (n < 0) {
      if (errno == EINTR) continue;
      return std::unexpected(errno);
    }
    if (n == 0) break;
    if (!within) bytes.append(more, static_cast<size_t>(n));
    filled += static_cast<size_t>(n);
  }
  bytes.resize(filled);
  return bytes;
}

}  // namespace varnel::prompt
