#include <algorithm>
#include <vector>

#include "prompt/catalogue/builtin_texts.hpp"
#include "varnel/engine/catalogue.hpp"

namespace varnel {
namespace {

struct Table {
  std::vector<builtin::NamedText> entries;  // sorted by name
  std::vector<std::string_view> names;

  explicit Table(std::span<const builtin::NamedText> texts) : entries(texts.begin(), texts.end()) {
    std::ranges::sort(entries, {}, &builtin::NamedText::name);
    for (const auto& entry : entries) names.push_back(entry.name);
  }

  std::optional<std::string_view> find(std::string_view name) const {
    const auto it = std::ranges::lower_bound(entries, name, {}, &builtin::NamedText::name);
    if (it == entries.end() || it->name != name) return std::nullopt;
    return it->text;
  }
};

const Table& steps() {
  static const Table table(builtin::step_texts());
  return table;
}

const Table& directions() {
  static const Table table(builtin::direction_texts());
  return table;
}

}  // namespace

std::optional<std::string_view> builtin_step(std::string_view name) { return steps().find(name); }
std::optional<std::string_view> builtin_direction(std::string_view name) { return directions().find(name); }
std::span<const std::string_view> builtin_step_names() { return steps().names; }
std::span<const std::string_view> builtin_direction_names() { return directions().names; }
std::string_view product_guide() { return builtin::guide_text(); }

}  // namespace varnel
