#include <cctype>
#include <charconv>
#include <limits>

#include "varnel/engine/changes.hpp"
#include "varnel/engine/git.hpp"
#include "varnel/engine/process.hpp"
#include "varnel/engine/text.hpp"
#include "varnel/engine/tokens.hpp"

namespace varnel {
namespace {

constexpr uint64_t kMaxDiffFiles = 20;
constexpr uint64_t kMaxDiffLines = 800;
constexpr uint64_t kMaxDiffTokens = 15000;  // exclusive

struct GitRun {
  bool ok;
  std::string out;  // lossily decoded
};

// Runs git in `repo_root`; only a failure to start it is an error.
std::expected<GitRun, EngineError> git(const std::filesystem::path& repo_root, std::vector<std::string> args) {
  auto out = process::run_captured({"git", std::move(args), repo_root.string(), {}, false});
  if (!out) return std::unexpected(EngineError::io(out.error().message));
  return GitRun{out->status.success(), lossy_utf8(out->out)};
}

// A whitespace-separated word that is an unsigned decimal number, "+" allowed in front.
std::optional<uint64_t> parse_count(std::string_view word) {
  if (word.starts_with('+')) word.remove_prefix(1);
  uint64_t value = 0;
  const auto [end, ec] = std::from_chars(word.data(), word.data() + word.size(), value);
  if (word.empty() || ec != std::errc{} || end != word.data() + word.size()) return std::nullopt;
  return value;
}

// The insertions plus deletions of a --shortstat line: every number but the first (the
// file count), so "3 files changed, 10 insertions(+), 2 deletions(-)" gives 12.
uint64_t changed_lines(std::string_view shortstat) {
  uint64_t total = 0;
  bool first = true;
  size_t i = 0;
  while (i < shortstat.size()) {
    while (i < shortstat.size() && std::isspace(static_cast<unsigned char>(shortstat[i]))) ++i;
    size_t end = i;
    while (end < shortstat.size() && !std::isspace(static_cast<unsigned char>(shortstat[end]))) ++end;
    if (end > i) {
      if (auto n = parse_count(shortstat.substr(i, end - i))) {
        if (!first) total = *n > std::numeric_limits<uint64_t>::max() - total ? std::numeric_limits<uint64_t>::max() : total + *n;
        first = false;
      }
    }
    i = end;
  }
  return total;
}

uint64_t non_empty_lines(std::string_view text) {
  uint64_t n = 0;
  while (!text.empty()) {
    const size_t nl = text.find('\n');
    if (!trim(text.substr(0, nl)).empty()) ++n;
    text = nl == std::string_view::npos ? std::string_view{} : text.substr(nl + 1);
  }
  return n;
}

}  // namespace

std::expected<BranchChanges, EngineError> collect_diff(const std::filesystem::path& repo_root) {
  auto branch = git(repo_root, {"branch", "--show-current"});
  if (!branch) return std::unexpected(branch.error());
  const std::string_view current = trim(branch->out);
  if (current.empty() || current == "main") return BranchChanges{};

  const auto base = git_get_default_branch(repo_root);
  const std::string range = "origin/" + (base ? *base : std::string("main")) + "...HEAD";

  auto names = git(repo_root, {"diff", "--name-only", range});
  if (!names) return std::unexpected(names.error());
  if (!names->ok) return BranchChanges{};
  BranchChanges result;
  result.changed_files = non_empty_lines(names->out);
  if (result.changed_files == 0) return BranchChanges{};

  auto shortstat = git(repo_root, {"diff", "--shortstat", range});
  if (!shortstat) return std::unexpected(shortstat.error());
  const uint64_t lines = shortstat->ok ? changed_lines(shortstat->out) : 0;

  auto stat = git(repo_root, {"diff", "--stat", range});
  if (!stat) return std::unexpected(stat.error());
  const std::string stat_text = stat->ok ? std::string(trim(stat->out)) : std::string();

  if (result.changed_files <= kMaxDiffFiles && lines <= kMaxDiffLines) {
    auto full = git(repo_root, {"diff", range});
    if (!full) return std::unexpected(full.error());
    const std::string_view text = trim(full->out);
    if (full->ok && !text.empty() && count_tokens(text) < kMaxDiffTokens) {
      result.diff = std::string(text);
      result.diff_tier = DiffTier::UnifiedDiff;
      return result;
    }
  }
  if (!stat_text.empty()) {
    result.diff = stat_text;
    result.diff_tier = DiffTier::StatOnly;
  }
  return result;
}

}  // namespace varnel
