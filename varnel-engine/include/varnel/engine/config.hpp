#pragma once
// The repository configuration: `.vn/config.yaml` in the home directory and in the
// repository, merged (the repository's entries win), read afresh on every call.

#include <cstdint>
#include <expected>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace varnel {

struct SummaryConfig {
  std::string path;
  std::optional<uint64_t> tokens;
  std::string model = "gemini";

  bool operator==(const SummaryConfig&) const = default;
};

struct SkillSourceConfig {
  std::string name;
  std::string prefix;
  std::string path;

  bool operator==(const SkillSourceConfig&) const = default;
};

struct IdeConfig {
  std::optional<std::string> workspace;
  bool warp = true;
  bool cursor = true;

  bool operator==(const IdeConfig&) const = default;
};

struct BranchNameConfig {
  // Expanded when a branch is named; the key `schema_` is read as this field too.
  std::string schema = "{user}.{name}.{timestamp}.{words}";

  bool operator==(const BranchNameConfig&) const = default;
};

// `autoprune: true` enables with a 60 s interval; without the key: disabled, interval 0.
struct AutopruneConfig {
  bool enabled = false;
  uint64_t poll_interval_seconds = 0;

  bool operator==(const AutopruneConfig&) const = default;
};

// Token budgets per context section. A `budgets` mapping defaults its missing keys to
// 50000, 30000 and 20000; without the key all three are 0.
struct BudgetConfig {
  uint64_t area = 0;
  uint64_t docs = 0;
  uint64_t diff = 0;

  bool operator==(const BudgetConfig&) const = default;
};

struct Config {
  std::string agent_model = "claude:opus";
  std::string land = "gh";
  std::vector<std::string> context;
  std::vector<std::string> exclude;
  std::vector<std::string> interactive;
  std::vector<SummaryConfig> summaries;
  std::vector<SkillSourceConfig> skill_sources;
  IdeConfig ide;
  std::optional<std::vector<std::string>> direction;
  std::optional<std::string> area;
  std::optional<BranchNameConfig> branch_names;
  std::optional<std::string> lint_check;
  AutopruneConfig autoprune;
  uint64_t summary_tokens = 10000;
  BudgetConfig budgets;
  bool yolo = false;
  bool chrome = false;
  bool push = false;
  bool pr = false;
  bool include_varnel_doc = true;
  bool vndocs = true;
  bool diff = false;
  bool diff_files = true;
  bool paste = false;

  bool operator==(const Config&) const = default;
};

// Why a configuration could not be loaded. Never shown by the engine itself: every
// reader goes through load_config_or_default.
struct ConfigError {
  std::string message;

  const std::string& display() const { return message; }
};

// The home directory: $HOME when set and non-empty, else the current user's entry in
// the user database; none when neither gives one.
std::optional<std::filesystem::path> home_dir();

// Reads the home file and, when `repo_root` is given, the repository file, merges them
// and validates the result. Empty when neither file has content. A file that is empty
// or white space only counts as missing; one holding only comments is a null document.
std::expected<std::optional<Config>, ConfigError> load_config(
    const std::optional<std::filesystem::path>& repo_root);

// load_config with every error and the missing case replaced by the defaults.
Config load_config_or_default(const std::optional<std::filesystem::path>& repo_root);

}  // namespace varnel
