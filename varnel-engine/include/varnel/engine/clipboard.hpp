#pragma once
// The system clipboard, read through the installed clipboard programs.

#include <optional>
#include <string>

namespace varnel {

// The clipboard text from xclip, else xsel, else wl-paste: the first of them that can be
// started decides. Its standard output (invalid UTF-8 replaced, not trimmed) is the
// text when it exits with status 0 and prints more than white space; otherwise there is
// no clipboard and no other program is tried.
std::optional<std::string> read_clipboard();

}  // namespace varnel
