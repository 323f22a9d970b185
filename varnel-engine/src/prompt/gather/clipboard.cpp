#include "varnel/engine/clipboard.hpp"

#include "varnel/engine/process.hpp"
#include "varnel/engine/text.hpp"

namespace varnel {

std::optional<std::string> read_clipboard() {
  const process::Command readers[] = {
      {"xclip", {"-selection", "clipboard", "-o"}, {}, {}, false},
      {"xsel", {"--clipboard", "--output"}, {}, {}, false},
      {"wl-paste", {}, {}, {}, false},
  };
  for (const process::Command& reader : readers) {
    auto out = process::run_captured(reader);
    if (!out) continue;  // not installed: the next one may be
    if (!out->status.success()) return std::nullopt;
    std::string text = lossy_utf8(out->out);
    if (trim(text).empty()) return std::nullopt;
    return text;
  }
  return std::nullopt;
}

}  // namespace varnel
