#include <fmt/format.h>

#include <array>
#include <unordered_map>

#include "config/config_schema.hpp"
#include "config/text_file.hpp"
#include "config/yaml.hpp"
#include "varnel/engine/config.hpp"
#include "varnel/engine/text.hpp"

namespace varnel {
namespace {

using yaml::Type;
using yaml::Value;

const std::filesystem::path kConfigFile = std::filesystem::path(".vn") / "config.yaml";

// The keys whose sequences the repository file extends instead of replacing.
constexpr std::array<std::string_view, 4> kConcatenated = {"summaries", "context", "exclude", "skill_sources"};

// Missing, or holding only white space: none. Otherwise the file's one YAML document.
std::expected<std::optional<Value>, ConfigError> read_config_file(const std::filesystem::path& path) {
  if (!has_metadata(path)) return std::nullopt;
  auto text = read_text_file(path);
  if (!text) return std::unexpected(ConfigError{std::move(text.error())});
  if (trim(*text).empty()) return std::nullopt;
  auto value = yaml::parse(*text);
  if (!value) {
    return std::unexpected(
        ConfigError{fmt::format("YAML parse error in {}: {}", lossy_utf8(path.native()), value.error())});
  }
  return std::move(*value);
}

bool is_concatenated(const Value& key) {
  if (key.type != Type::String) return false;
  for (std::string_view name : kConcatenated) {
    if (key.scalar == name) return true;
  }
  return false;
}

// The global mapping with every entry of the repository mapping applied in order: a
// replaced key keeps its place, a new key is appended, and the concatenated keys join
// two sequences.
Value merge(Value global, Value repo) {
  std::unordered_map<std::string, size_t> scalar_keys;
  for (size_t i = 0; i < global.size(); ++i) {
    if (global.key(i).is_scalar()) scalar_keys.emplace(yaml::scalar_identity(global.key(i)), 2 * i + 1);
  }
  auto find = [&](const Value& key) -> Value* {
    if (key.is_scalar()) {
      const auto it = scalar_keys.find(yaml::scalar_identity(key));
      return it == scalar_keys.end() ? nullptr : &global.children[it->second];
    }
    for (size_t i = 0; i < global.size(); ++i) {
      if (global.key(i) == key) return &global.children[2 * i + 1];
    }
    return nullptr;
  };
  for (size_t i = 0; i < repo.size(); ++i) {
    Value& key = repo.children[2 * i];
    Value& value = repo.children[2 * i + 1];
    if (Value* existing = find(key)) {
      if (is_concatenated(key) && existing->type == Type::Sequence && value.type == Type::Sequence) {
        for (Value& item : value.children) existing->children.push_back(std::move(item));
      } else {
        *existing = std::move(value);
      }
      continue;
    }
    if (key.is_scalar()) scalar_keys.emplace(yaml::scalar_identity(key), global.children.size() + 1);
    global.children.push_back(std::move(key));
    global.children.push_back(std::move(value));
  }
  return global;
}

}  // namespace

std::expected<std::optional<Config>, ConfigError> load_config(
    const std::optional<std::filesystem::path>& repo_root) {
  const std::optional<std::filesystem::path> home = home_dir();
  auto read_global = read_config_file(home ? *home / kConfigFile : kConfigFile);
  if (!read_global) return std::unexpected(std::move(read_global.error()));
  std::optional<Value> global = std::move(*read_global);
  std::optional<Value> repo;
  if (repo_root) {
    auto read = read_config_file(*repo_root / kConfigFile);
    if (!read) return std::unexpected(std::move(read.error()));
    repo = std::move(*read);
  }

  Value combined;
  if (global && repo) {
    const bool both_mappings = global->type == Type::Mapping && repo->type == Type::Mapping;
    combined = both_mappings ? merge(std::move(*global), std::move(*repo)) : std::move(*repo);
  } else if (global || repo) {
    combined = std::move(global ? *global : *repo);
  } else {
    return std::nullopt;
  }

  auto config = config_from_yaml(combined);
  if (!config) return std::unexpected(ConfigError{fmt::format("Config validation error: {}", config.error())});
  return std::move(*config);
}

Config load_config_or_default(const std::optional<std::filesystem::path>& repo_root) {
  auto config = load_config(repo_root);
  if (config && *config) return std::move(**config);
  return Config{};
}

}  // namespace varnel
