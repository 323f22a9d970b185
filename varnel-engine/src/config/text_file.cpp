#include "config/text_file.hpp"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "varnel/engine/text.hpp"

namespace varnel {
namespace {

std::unexpected<std::string> os_error(int err) { return std::unexpected(std::string(std::strerror(err))); }

}  // namespace

std::expected<std::string, std::string> read_text_file(const std::filesystem::path& path) {
  if (path.native().find('\0') != std::string::npos) return os_error(ENOENT);
  // O_NONBLOCK keeps a FIFO without a writer from blocking the open; it is refused below.
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) return os_error(errno);
  struct Closer {
    int fd;
    ~Closer() { ::close(fd); }
  } closer{fd};

  struct stat st {};
  if (::fstat(fd, &st) != 0) return os_error(errno);
  if (S_ISDIR(st.st_mode)) return os_error(EISDIR);
  if (!S_ISREG(st.st_mode)) return std::unexpected(std::string("not a regular file"));

  std::string text;
  text.reserve(static_cast<size_t>(st.st_size));
  char buffer[65536];
  for (;;) {
    const ssize_t n = ::read(fd, buffer, sizeof buffer);
    if (n > 0) {
      text.append(buffer, static_cast<size_t>(n));
    } else if (n == 0) {
      break;
    } else if (errno != EINTR) {
      return os_error(errno);
    }
  }
  if (!is_valid_utf8(text)) return std::unexpected(std::string("stream did not contain valid UTF-8"));
  return text;
}

bool has_metadata(const std::filesystem::path& path) {
  if (path.native().find('\0') != std::string::npos) return false;
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0;
}

}  // namespace varnel
