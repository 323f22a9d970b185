#pragma once
// Reading a whole configuration, step or direction file as UTF-8 text.

#include <expected>
#include <filesystem>
#include <string>

namespace varnel {

// The whole content of `path` when it is valid UTF-8. Errors carry the operating
// system's message, or say why the file cannot be text: a directory, a file that is
// not a regular file (a FIFO or device could block or never end), invalid UTF-8.
std::expected<std::string, std::string> read_text_file(const std::filesystem::path& path);

// Returns true iff the metadata of `path` can be obtained (following symbolic links).
// A path holding a NUL byte names no file: the system would cut it short.
bool has_metadata(const std::filesystem::path& path);

}  // namespace varnel
