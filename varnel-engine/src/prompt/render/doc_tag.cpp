#include "varnel/engine/prompt.hpp"
#include "varnel/engine/text.hpp"

namespace varnel {

std::string doc_tag(std::string_view name) {
  // The last component, ignoring trailing separators and "." components; ".." or
  // nothing at all means there is no last component.
  std::string_view rest = name;
  std::string_view last;
  while (!rest.empty()) {
    const size_t slash = rest.rfind('/');
    const std::string_view component = slash == std::string_view::npos ? rest : rest.substr(slash + 1);
    rest = slash == std::string_view::npos ? std::string_view() : rest.substr(0, slash);
    if (component.empty() || component == ".") continue;
    last = component;
    break;
  }
  if (last.empty() || last == "..") return lossy_utf8(name);
  const size_t dot = last.rfind('.');
  return lossy_utf8(dot == 0 || dot == std::string_view::npos ? last : last.substr(0, dot));
}

std::string_view diff_tier_name(DiffTier tier) {
  switch (tier) {
    case DiffTier::UnifiedDiff: return "UnifiedDiff";
    case DiffTier::StatOnly: return "StatOnly";
    case DiffTier::None: return "None";
  }
  return "None";
}

}  // namespace varnel
