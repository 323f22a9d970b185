#include <algorithm>
#include <array>
#include <set>
#include <string_view>

#include "prompt/gather/read_file.hpp"
#include "varnel/engine/changes.hpp"
#include "varnel/engine/gitignore.hpp"
#include "varnel/engine/text.hpp"

namespace varnel {
namespace fs = std::filesystem;

namespace {

constexpr std::array<std::string_view, 8> kLockFiles = {
    "uv.lock",       "yarn.lock",     "Cargo.lock",     "poetry.lock",
    "Gemfile.lock",  "composer.lock", "pnpm-lock.yaml", "package-lock.json",
};

// `path` without "." components, for comparing paths as written.
fs::path without_dots(const fs::path& path) {
  fs::path out;
  for (const fs::path& part : path) {
    if (part != "." && !part.empty()) out /= part;
  }
  return out;
}

// `file` relative to `root`, compared component by component; nothing when `file` does
// not lie under `root`.
std::optional<fs::path> relative_to(const fs::path& file, const fs::path& root) {
  const fs::path f = without_dots(file), r = without_dots(root);
  auto fi = f.begin();
  for (auto ri = r.begin(); ri != r.end(); ++ri, ++fi) {
    if (fi == f.end() || *fi != *ri) return std::nullopt;
  }
  fs::path rest;
  for (; fi != f.end(); ++fi) rest /= *fi;
  if (rest.empty()) return std::nullopt;
  return rest;
}

bool under_vn_directory(const fs::path& path) {
  for (const fs::path& part : path) {
    if (part == ".vn") return true;
  }
  return false;
}

}  // namespace

std::vector<ContextDoc> collect_reference_files(const fs::path& repo_root, const std::vector<std::string>& paths) {
  const Gitignore ignore = Gitignore::load(repo_root / ".gitignore");

  std::set<fs::path> taken;
  std::vector<ContextDoc> docs;
  for (const std::string& p : paths) {
    fs::path file = fs::path(p).is_absolute() ? fs::path(p) : repo_root / p;
    std::error_code ec;
    fs::file_status status = fs::status(file, ec);
    if (!fs::exists(status) && p.starts_with("./")) {
      file = repo_root / p.substr(2);
      status = fs::status(file, ec);
    }
    if (!fs::is_regular_file(status)) continue;
    if (under_vn_directory(file)) continue;
    if (std::ranges::find(kLockFiles, file.filename().native()) != kLockFiles.end()) continue;

    // Compared without "." components, so a root written "./repo" is the root "repo".
    const std::optional<fs::path> relative = relative_to(file, repo_root);
    // A file outside the repository is not the root .gitignore's to judge. Paths that
    // climb out with ".." are outside as well.
    const bool inside = relative && std::ranges::find(*relative, "..") == relative->end();
    if (inside && ignore.ignored(relative->generic_string(), false)) continue;

    fs::path key = fs::canonical(file, ec);
    if (ec) key = file;
    if (!taken.insert(key).second) continue;

    auto bytes = prompt::read_regular_file(file);
    if (!bytes || bytes->find('\0') != std::string::npos || !is_valid_utf8(*bytes)) continue;
    docs.push_back({lossy_utf8((relative ? *relative : file).native()), std::move(*bytes), "diff_files"});
  }
  return docs;
}

}  // namespace varnel
