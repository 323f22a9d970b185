#include <fmt/format.h>

#include "config/text_file.hpp"
#include "varnel/engine/catalogue.hpp"
#include "varnel/engine/config.hpp"
#include "varnel/engine/text.hpp"

namespace varnel {
namespace {

namespace fs = std::filesystem;

// `dir/<name>.md`, with the name taken as it is: joining it as a path would let an
// absolute name replace the directory.
fs::path named_file(const fs::path& dir, std::string_view name) {
  return fs::path(fmt::format("{}/{}.md", dir.native(), name));
}

bool is_file_name_safe(std::string_view name) { return name.find('\0') == std::string_view::npos; }

std::expected<std::string, LoadError> read(const fs::path& path) {
  auto text = read_text_file(path);
  if (!text) return std::unexpected(LoadError::io(std::move(text.error())));
  return std::move(*text);
}

std::expected<Step, LoadError> make_step(std::string_view name, std::string_view text) {
  auto frontmatter = parse_frontmatter(text);
  if (!frontmatter) return std::unexpected(std::move(frontmatter.error()));
  return Step{std::string(name), std::move(frontmatter->directions), std::move(frontmatter->model),
              std::move(frontmatter->body), frontmatter->interactive};
}

}  // namespace

std::expected<Step, LoadError> load_step(std::string_view name, const fs::path& repo_root) {
  if (is_file_name_safe(name)) {
    std::vector<fs::path> candidates = {named_file(repo_root / ".vn" / "steps", name),
                                        named_file(repo_root / ".claude" / "commands", name)};
    if (const auto home = home_dir()) {
      candidates.push_back(named_file(*home / ".vn" / "steps", name));
      candidates.push_back(named_file(*home / ".claude" / "commands", name));
    }
    for (const fs::path& candidate : candidates) {
      if (!has_metadata(candidate)) continue;
      auto text = read(candidate);
      if (!text) return std::unexpected(std::move(text.error()));
      return make_step(name, *text);
    }
  }
  if (const auto text = builtin_step(name)) return make_step(name, *text);
  return std::unexpected(LoadError::step_not_found(std::string(name)));
}

std::expected<Direction, LoadError> load_direction(std::string_view name, const fs::path& repo_root) {
  if (is_file_name_safe(name)) {
    const fs::path path = named_file(repo_root / ".vn" / "directions", name);
    if (has_metadata(path)) {
      auto text = read(path);
      if (!text) return std::unexpected(std::move(text.error()));
      return Direction{std::string(name), std::move(*text), lossy_utf8(path.native())};
    }
  }
  if (const auto text = builtin_direction(name)) {
    return Direction{std::string(name), std::string(*text), fmt::format("builtin:{}", name)};
  }
  return std::unexpected(LoadError::direction_not_found(std::string(name)));
}

}  // namespace varnel
