#pragma once
// The built-in texts as compiled in from src/prompt/builtin (a generated unit).

#include <span>
#include <string_view>

namespace varnel::builtin {

struct NamedText {
  std::string_view name;  // the file name without ".md"
  std::string_view text;
};

std::span<const NamedText> step_texts();
std::span<const NamedText> direction_texts();
std::string_view guide_text();

}  // namespace varnel::builtin
