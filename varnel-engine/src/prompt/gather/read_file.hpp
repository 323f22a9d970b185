#pragma once
// Reading whole files for a prompt. Only regular files are read: a FIFO, a device or a
// socket under a document's name must neither block nor stream without end.

#include <expected>
#include <filesystem>
#include <string>

namespace varnel::prompt {

// The bytes of the regular file at `path` (symbolic links followed). The error is an
// errno value: the open or read failure, or EINVAL for anything but a regular file.
std::expected<std::string, int> read_regular_file(const std::filesystem::path& path);

}  // namespace varnel::prompt
