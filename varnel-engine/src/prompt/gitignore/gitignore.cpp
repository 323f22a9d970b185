#include "varnel/engine/gitignore.hpp"

#include <optional>
#include <string>

#include "prompt/gather/read_file.hpp"
#include "prompt/gitignore/glob.hpp"

namespace varnel {

struct Gitignore::Rule {
  gitignore::Glob glob;
  bool negated = false;
  bool dir_only = false;   // written with a trailing '/'
  bool basename = false;   // no other '/': matches the last component at any depth
};

Gitignore::Gitignore() = default;
Gitignore::Gitignore(Gitignore&&) noexcept = default;
Gitignore& Gitignore::operator=(Gitignore&&) noexcept = default;
Gitignore::~Gitignore() = default;

namespace {

// Trailing spaces are dropped unless the last of them is escaped with a backslash.
std::string_view trim_trailing_spaces(std::string_view line) {
  size_t end = line.size();
  std::optional<size_t> spaces;
  for (size_t i = 0; i < line.size(); ++i) {
    if (line[i] == ' ') {
      if (!spaces) spaces = i;
    } else if (line[i] == '\\') {
      if (++i == line.size()) return line;
      spaces.reset();
    } else {
      spaces.reset();
    }
  }
  if (spaces) end = *spaces;
  return line.substr(0, end);
}

std::string_view last_component(std::string_view path) {
  const size_t slash = path.rfind('/');
  return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

}  // namespace

Gitignore Gitignore::parse(std::string_view text) {
  Gitignore result;
  if (text.starts_with("\xEF\xBB\xBF")) text.remove_prefix(3);
  while (!text.empty()) {
    const size_t nl = text.find('\n');
    std::string_view line = text.substr(0, nl);
    text = nl == std::string_view::npos ? std::string_view{} : text.substr(nl + 1);
    if (line.ends_with('\r')) line.remove_suffix(1);
    if (line.empty() || line.front() == '#') continue;
    line = trim_trailing_spaces(line);

    Rule rule{};
    if (line.starts_with('!')) {
      rule.negated = true;
      line.remove_prefix(1);
    }
    if (line.ends_with('/')) {
      rule.dir_only = true;
      line.remove_suffix(1);
    }
    rule.basename = line.find('/') == std::string_view::npos;
    if (!rule.basename && line.starts_with('/')) line.remove_prefix(1);
    if (line.empty()) continue;
    auto glob = gitignore::Glob::compile(line);
    if (!glob) continue;
    rule.glob = std::move(*glob);
    result.rules_.push_back(std::move(rule));
  }
  return result;
}

Gitignore Gitignore::load(const std::filesystem::path& path) {
  auto text = prompt::read_regular_file(path);
  return text ? parse(*text) : Gitignore{};
}

const Gitignore::Rule* Gitignore::last_match(std::string_view path, bool is_dir) const {
  for (auto it = rules_.rbegin(); it != rules_.rend(); ++it) {
    if (it->dir_only && !is_dir) continue;
    if (it->glob.matches(it->basename ? last_component(path) : path)) return &*it;
  }
  return nullptr;
}

bool Gitignore::ignored(std::string_view path, bool is_dir) const {
  if (rules_.empty() || path.empty()) return false;
  // An ignored directory is never descended into, so a "!" rule cannot reach below it.
  for (size_t slash = path.find('/'); slash != std::string_view::npos; slash = path.find('/', slash + 1)) {
    const Rule* rule = last_match(path.substr(0, slash), true);
    if (rule && !rule->negated) return true;
  }
  const Rule* rule = last_match(path, is_dir);
  return rule && !rule->negated;
}

}  // namespace varnel
