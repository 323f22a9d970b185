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

  std::string bytes;
  bytes.resize(static_cast<size_t>(st.st_size));
  size_t filled = 0;
  for (;;) {
    if (filled == bytes.size()) bytes.resize(bytes.size() + 65536);  // the file grew
    const ssize_t n = ::read(fd.get(), bytes.data() + filled, bytes.size() - filled);
    if (n < 0) {
      if (errno == EINTR) continue;
      return std::unexpected(errno);
    }
    if (n == 0) break;
    filled += static_cast<size_t>(n);
  }
  bytes.resize(filled);
  return bytes;
}

}  // namespace varnel::prompt
