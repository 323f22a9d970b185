#include "config/yaml.hpp"
#include "varnel/engine/catalogue.hpp"

namespace varnel {
namespace {

using yaml::Type;
using yaml::Value;

constexpr std::string_view kMarker = "---";

// A string is one name; a sequence gives its string elements and skips the others.
std::vector<std::string> names(const Value* value) {
  std::vector<std::string> result;
  if (value == nullptr) return result;
  if (value->type == Type::String) {
    result.push_back(value->scalar);
  } else if (value->type == Type::Sequence) {
    for (const Value& item : value->children) {
      if (item.type == Type::String) result.push_back(item.scalar);
    }
  }
  return result;
}

}  // namespace

std::expected<Frontmatter, LoadError> parse_frontmatter(std::string_view text) {
  Frontmatter result;
  const size_t close = text.starts_with(kMarker) ? text.find(kMarker, kMarker.size()) : std::string_view::npos;
  if (close == std::string_view::npos) {
    result.body = text;
    return result;
  }
  std::string_view body = text.substr(close + kMarker.size());
  if (body.starts_with('\n')) body.remove_prefix(1);
  result.body = body;

  auto value = yaml::parse(text.substr(kMarker.size(), close - kMarker.size()));
  if (!value) return std::unexpected(LoadError::invalid_step(std::move(value.error())));
  if (value->type != Type::Mapping) return result;

  if (const Value* model = value->find("model"); model && model->type == Type::String) {
    result.model = model->scalar;
  }
  if (const Value* interactive = value->find("interactive"); interactive && interactive->type == Type::Bool) {
    result.interactive = interactive->truth();
  }
  result.directions = names(value->find("directions"));
  if (result.directions.empty()) result.directions = names(value->find("direction"));
  return result;
}

}  // namespace varnel
