#include <pwd.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <vector>

#include "varnel/engine/config.hpp"

namespace varnel {

std::optional<std::filesystem::path> home_dir() {
  if (const char* home = std::getenv("HOME"); home != nullptr && *home != '\0') return home;
  long size = ::sysconf(_SC_GETPW_R_SIZE_MAX);
  std::vector<char> buffer(size > 0 ? static_cast<size_t>(size) : 16384);
  for (;;) {
    passwd entry{};
    passwd* found = nullptr;
    const int err = ::getpwuid_r(::getuid(), &entry, buffer.data(), buffer.size(), &found);
    if (err == ERANGE && buffer.size() < (1u << 20)) {
      buffer.resize(buffer.size() * 2);
      continue;
    }
    if (err != 0 || found == nullptr || found->pw_dir == nullptr || *found->pw_dir == '\0') {
      return std::nullopt;
    }
    return std::filesystem::path(found->pw_dir);
  }
}

}  // namespace varnel
