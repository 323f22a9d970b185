#include "config/config_schema.hpp"

#include <fmt/format.h>

#include <charconv>
#include <functional>
#include <string_view>

namespace varnel {
namespace {

using yaml::Type;
using yaml::Value;

// Errors carry the path of the offending value, built as they travel outwards.
using Status = std::expected<void, std::string>;
template <class T>
using Converted = std::expected<T, std::string>;

std::unexpected<std::string> invalid_type(const Value& value, std::string_view expected) {
  return std::unexpected(fmt::format("invalid type: {}, expected {}", yaml::describe(value), expected));
}

std::unexpected<std::string> at(std::string_view where, const std::string& error) {
  return std::unexpected(fmt::format("{}: {}", where, error));
}

std::string member(std::string_view where, std::string_view key) {
  return where.empty() ? std::string(key) : fmt::format("{}.{}", where, key);
}

Converted<std::string> to_string(const Value& value) {
  if (value.type != Type::String) return invalid_type(value, "a string");
  return value.scalar;
}

Converted<bool> to_bool(const Value& value) {
  if (value.type != Type::Bool) return invalid_type(value, "a boolean");
  return value.truth();
}

Converted<uint64_t> to_u64(const Value& value) {
  constexpr std::string_view expected = "a non-negative 64-bit integer";
  if (value.type != Type::Int) return invalid_type(value, expected);
  std::string_view digits = value.scalar;
  int base = 10;
  bool negative = false;
  if (digits.starts_with("0o") || digits.starts_with("0x")) {
    base = digits[1] == 'o' ? 8 : 16;
    digits.remove_prefix(2);
  } else if (digits[0] == '-' || digits[0] == '+') {
    negative = digits[0] == '-';
    digits.remove_prefix(1);
  }
  uint64_t number = 0;
  const auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), number, base);
  if (ec != std::errc{} || end != digits.data() + digits.size() || (negative && number != 0)) {
    return std::unexpected(fmt::format("invalid value: {}, expected {}", yaml::describe(value), expected));
  }
  return number;
}

// A sequence of strings; null is the empty list. Errors carry their full path.
Converted<std::vector<std::string>> to_list(const Value& value, std::string_view where) {
  std::vector<std::string> list;
  if (value.type == Type::Null) return list;
  if (value.type != Type::Sequence) return at(where, invalid_type(value, "a sequence").error());
  list.reserve(value.size());
  for (size_t i = 0; i < value.size(); ++i) {
    auto item = to_string(value.children[i]);
    if (!item) return at(fmt::format("{}[{}]", where, i), item.error());
    list.push_back(std::move(*item));
  }
  return list;
}

// Calls `field(key, value, path)` for each string-keyed entry of `mapping`.
Status each_field(const Value& mapping, std::string_view where,
                  const std::function<Status(std::string_view, const Value&, const std::string&)>& field) {
  for (size_t i = 0; i < mapping.size(); ++i) {
    const Value& key = mapping.key(i);
    if (key.type != Type::String) continue;
    if (auto status = field(key.scalar, mapping.value(i), member(where, key.scalar)); !status) return status;
  }
  return {};
}

// Stores `convert(value)` into `slot`, or reports the error at `where`.
template <class T, class Convert>
Status store(T& slot, const Value& value, const std::string& where, Convert convert) {
  auto converted = convert(value);
  if (!converted) return at(where, converted.error());
  slot = std::move(*converted);
  return {};
}

template <class T, class Convert>
Status store_optional(std::optional<T>& slot, const Value& value, const std::string& where, Convert convert) {
  if (value.type == Type::Null) {
    slot.reset();
    return {};
  }
  auto converted = convert(value);
  if (!converted) return at(where, converted.error());
  slot = std::move(*converted);
  return {};
}

Status require_mapping(const Value& value, std::string_view where) {
  if (value.type == Type::Mapping) return {};
  return at(where, invalid_type(value, "a mapping").error());
}

Converted<SummaryConfig> to_summary(const Value& value, const std::string& where) {
  if (auto status = require_mapping(value, where); !status) return std::unexpected(status.error());
  SummaryConfig summary;
  bool has_path = false;
  auto status = each_field(value, where, [&](std::string_view key, const Value& v, const std::string& path) -> Status {
    if (key == "path") {
      has_path = true;
      return store(summary.path, v, path, to_string);
    }
    if (key == "tokens") return store_optional(summary.tokens, v, path, to_u64);
    if (key == "model") return store(summary.model, v, path, to_string);
    return {};
  });
  if (!status) return std::unexpected(status.error());
  if (!has_path) return at(where, "missing field `path`");
  return summary;
}

Converted<SkillSourceConfig> to_skill_source(const Value& value, const std::string& where) {
  if (auto status = require_mapping(value, where); !status) return std::unexpected(status.error());
  SkillSourceConfig source;
  const std::pair<std::string_view, std::string*> fields[] = {
      {"name", &source.name}, {"prefix", &source.prefix}, {"path", &source.path}};
  for (const auto& [name, slot] : fields) {
    const Value* field = value.find(name);
    if (field == nullptr) return at(where, fmt::format("missing field `{}`", name));
    if (auto status = store(*slot, *field, member(where, name), to_string); !status) {
      return std::unexpected(status.error());
    }
  }
  return source;
}

template <class T, class Convert>
Status store_records(std::vector<T>& slot, const Value& value, const std::string& where, Convert convert) {
  slot.clear();
  if (value.type == Type::Null) return {};
  if (value.type != Type::Sequence) return at(where, invalid_type(value, "a sequence").error());
  for (size_t i = 0; i < value.size(); ++i) {
    auto record = convert(value.children[i], fmt::format("{}[{}]", where, i));
    if (!record) return std::unexpected(record.error());
    slot.push_back(std::move(*record));
  }
  return {};
}

// A null value of a key whose type is a mapping means the key is absent.
Status store_ide(IdeConfig& ide, const Value& value, const std::string& where) {
  ide = IdeConfig{};
  if (value.type == Type::Null) return {};
  if (auto status = require_mapping(value, where); !status) return status;
  return each_field(value, where, [&](std::string_view key, const Value& v, const std::string& path) -> Status {
    if (key == "workspace") return store_optional(ide.workspace, v, path, to_string);
    if (key == "warp") return store(ide.warp, v, path, to_bool);
    if (key == "cursor") return store(ide.cursor, v, path, to_bool);
    return {};
  });
}

Status store_branch_names(std::optional<BranchNameConfig>& slot, const Value& value, const std::string& where) {
  slot.reset();
  if (value.type == Type::Null) return {};
  if (auto status = require_mapping(value, where); !status) return status;
  BranchNameConfig names;
  bool seen = false;
  auto status = each_field(value, where, [&](std::string_view key, const Value& v, const std::string& path) -> Status {
    if (key != "schema" && key != "schema_") return {};
    if (seen) return at(where, "duplicate field `schema`");
    seen = true;
    return store(names.schema, v, path, to_string);
  });
  if (!status) return status;
  slot = std::move(names);
  return {};
}

Status store_autoprune(AutopruneConfig& autoprune, const Value& value, const std::string& where) {
  autoprune = AutopruneConfig{};
  if (value.type == Type::Null) return {};
  autoprune.poll_interval_seconds = 60;
  if (value.type == Type::Bool) return store(autoprune.enabled, value, where, to_bool);
  if (value.type != Type::Mapping) return at(where, invalid_type(value, "a boolean or a mapping").error());
  return each_field(value, where, [&](std::string_view key, const Value& v, const std::string& path) -> Status {
    if (key == "enabled") return store(autoprune.enabled, v, path, to_bool);
    if (key == "poll_interval_seconds") return store(autoprune.poll_interval_seconds, v, path, to_u64);
    return {};
  });
}

Status store_budgets(BudgetConfig& budgets, const Value& value, const std::string& where) {
  budgets = BudgetConfig{};
  if (value.type == Type::Null) return {};
  if (auto status = require_mapping(value, where); !status) return status;
  budgets = BudgetConfig{.area = 50000, .docs = 30000, .diff = 20000};
  return each_field(value, where, [&](std::string_view key, const Value& v, const std::string& path) -> Status {
    if (key == "area") return store(budgets.area, v, path, to_u64);
    if (key == "docs") return store(budgets.docs, v, path, to_u64);
    if (key == "diff") return store(budgets.diff, v, path, to_u64);
    return {};
  });
}

Status store_field(Config& c, std::string_view key, const Value& v, const std::string& path) {
  const auto list = [&](std::vector<std::string>& slot) -> Status {
    auto converted = to_list(v, path);
    if (!converted) return std::unexpected(std::move(converted.error()));
    slot = std::move(*converted);
    return {};
  };
  const auto flag = [&](bool& slot) { return store(slot, v, path, to_bool); };
  if (key == "agent_model") return store(c.agent_model, v, path, to_string);
  if (key == "land") return store(c.land, v, path, to_string);
  if (key == "context") return list(c.context);
  if (key == "exclude") return list(c.exclude);
  if (key == "interactive") return list(c.interactive);
  if (key == "summaries") return store_records(c.summaries, v, path, to_summary);
  if (key == "skill_sources") return store_records(c.skill_sources, v, path, to_skill_source);
  if (key == "ide") return store_ide(c.ide, v, path);
  if (key == "direction") {
    c.direction.reset();
    if (v.type == Type::Null) return {};
    return list(c.direction.emplace());
  }
  if (key == "area") return store_optional(c.area, v, path, to_string);
  if (key == "branch_names") return store_branch_names(c.branch_names, v, path);
  if (key == "lint_check") return store_optional(c.lint_check, v, path, to_string);
  if (key == "autoprune") return store_autoprune(c.autoprune, v, path);
  if (key == "summary_tokens") return store(c.summary_tokens, v, path, to_u64);
  if (key == "budgets") return store_budgets(c.budgets, v, path);
  if (key == "yolo") return flag(c.yolo);
  if (key == "chrome") return flag(c.chrome);
  if (key == "push") return flag(c.push);
  if (key == "pr") return flag(c.pr);
  if (key == "include_varnel_doc") return flag(c.include_varnel_doc);
  if (key == "vndocs") return flag(c.vndocs);
  if (key == "diff") return flag(c.diff);
  if (key == "diff_files") return flag(c.diff_files);
  if (key == "paste") return flag(c.paste);
  return {};
}

}  // namespace

std::expected<Config, std::string> config_from_yaml(const Value& value) {
  Config config;
  if (value.type == Type::Null) return config;
  if (value.type != Type::Mapping) return invalid_type(value, "a mapping");
  auto status = each_field(value, "", [&](std::string_view key, const Value& v, const std::string& path) {
    return store_field(config, key, v, path);
  });
  if (!status) return std::unexpected(status.error());
  return config;
}

}  // namespace varnel
