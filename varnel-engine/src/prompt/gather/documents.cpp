#include "prompt/gather/documents.hpp"

#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <set>
#include <utility>

#include <fmt/format.h>

#include "prompt/gather/read_file.hpp"
#include "varnel/engine/text.hpp"

namespace varnel::prompt {
namespace fs = std::filesystem;

namespace {

struct Entry {
  std::string name;   // raw bytes
  unsigned char type; // d_type; DT_UNKNOWN and DT_LNK need a stat
};

EngineError io_error(int err, const fs::path& path) {
  return EngineError::io(fmt::format("{}: {}", std::strerror(err), path.string()));
}

// The entries of `dir` in the order the system gives them, "." and ".." left out.
std::expected<std::vector<Entry>, int> list_directory(const fs::path& dir) {
  DIR* d = ::opendir(dir.c_str());
  if (!d) return std::unexpected(errno);
  std::vector<Entry> entries;
  for (;;) {
    errno = 0;
    const dirent* e = ::readdir(d);
    if (!e) break;
    const std::string_view name = e->d_name;
    if (name == "." || name == "..") continue;
    entries.push_back({std::string(name), e->d_type});
  }
  const int err = errno;
  ::closedir(d);
  if (err != 0) return std::unexpected(err);
  return entries;
}

// The file type after following symbolic links, without a stat where the listing says.
mode_t followed_type(const fs::path& dir, const Entry& entry) {
  if (entry.type == DT_DIR) return S_IFDIR;
  if (entry.type == DT_REG) return S_IFREG;
  struct stat st {};
  if (::stat((dir / entry.name).c_str(), &st) != 0) return 0;
  return st.st_mode & S_IFMT;
}

bool directory_exists(const fs::path& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

// The text of a regular UTF-8 file, or nothing.
std::optional<std::string> read_text(const fs::path& path) {
  auto bytes = read_regular_file(path);
  if (!bytes || !is_valid_utf8(*bytes)) return std::nullopt;
  return std::move(*bytes);
}

// The names of the regular ".md" files of a listing, sorted byte-wise.
std::vector<std::string> markdown_files(const fs::path& dir, const std::vector<Entry>& entries) {
  std::vector<std::string> names;
  for (const Entry& e : entries) {
    if (has_md_extension(e.name) && followed_type(dir, e) == S_IFREG) names.push_back(e.name);
  }
  std::sort(names.begin(), names.end());
  return names;
}

struct DirId {
  dev_t dev;
  ino_t ino;
  auto operator<=>(const DirId&) const = default;
};

class ScratchWalk {
 public:
  explicit ScratchWalk(std::vector<ContextDoc>& docs) : docs_(docs) {}

  std::expected<void, EngineError> walk(const fs::path& dir) {
    struct stat st {};
    if (::stat(dir.c_str(), &st) != 0) return std::unexpected(io_error(errno, dir));
    if (!walked_.insert({st.st_dev, st.st_ino}).second) return {};  // reached again through a link

    auto entries = list_directory(dir);
    if (!entries) return std::unexpected(io_error(entries.error(), dir));
    const std::string prefix = lossy_utf8(dir.filename().native()) + "/";
    for (const Entry& entry : *entries) {
      const mode_t type = followed_type(dir, entry);
      if (type == S_IFDIR) {
        if (auto walked = walk(dir / entry.name); !walked) return walked;
      } else if (has_md_extension(entry.name)) {
        if (auto text = read_text(dir / entry.name)) {
          docs_.push_back({prefix + lossy_utf8(entry.name), std::move(*text), "scratch"});
        }
      }
    }
    return {};
  }

 private:
  std::vector<ContextDoc>& docs_;
  std::set<DirId> walked_;
};

}  // namespace

bool has_md_extension(std::string_view file_name) {
  const size_t dot = file_name.rfind('.');
  return dot != std::string_view::npos && dot != 0 && file_name.substr(dot + 1) == "md";
}

std::expected<void, EngineError> add_scratch_docs(const fs::path& dir, std::vector<ContextDoc>& docs) {
  return ScratchWalk(docs).walk(dir);
}

std::expected<void, EngineError> add_roadmap_docs(const fs::path& repo_root, std::string_view wave,
                                                  std::vector<ContextDoc>& docs) {
  // Joined as text, so that a wave name cannot replace the root with a path of its own.
  const fs::path dir = repo_root / ("roadmap/" + std::string(wave));
  if (!directory_exists(dir)) return {};
  const std::string prefix = "roadmap/" + lossy_utf8(wave) + "/";
  if (auto readme = read_text(dir / "README.md")) docs.push_back({prefix + "README.md", std::move(*readme), "roadmap"});

  auto entries = list_directory(dir);
  if (!entries) return std::unexpected(io_error(entries.error(), dir));
  for (const std::string& name : markdown_files(dir, *entries)) {
    if (name == "README.md") continue;
    if (auto text = read_text(dir / name)) docs.push_back({prefix + lossy_utf8(name), std::move(*text), "roadmap"});
  }
  return {};
}

std::expected<void, EngineError> add_root_docs(const fs::path& repo_root, std::vector<ContextDoc>& docs) {
  auto entries = list_directory(repo_root);
  if (!entries) return std::unexpected(io_error(entries.error(), repo_root));
  for (const std::string& name : markdown_files(repo_root, *entries)) {
    if (auto text = read_text(repo_root / name)) docs.push_back({lossy_utf8(name), std::move(*text), "docs"});
  }
  return {};
}

std::vector<std::string> area_ancestors(std::string_view area) {
  std::vector<std::string_view> parts;
  while (!area.empty()) {
    const size_t slash = area.find('/');
    const std::string_view part = area.substr(0, slash);
    if (!part.empty() && part != ".") parts.push_back(part);
    area = slash == std::string_view::npos ? std::string_view{} : area.substr(slash + 1);
  }
  std::vector<std::string> ancestors;
  std::string path;
  for (size_t i = 0; i + 1 < parts.size(); ++i) {
    if (i > 0) path += '/';
    path += parts[i];
    ancestors.push_back(path);
  }
  return ancestors;
}

std::vector<ContextDoc> area_docs(const fs::path& repo_root, std::string_view area) {
  std::vector<ContextDoc> docs;
  std::set<std::string> names;
  for (const std::string& ancestor : area_ancestors(area)) {
    const fs::path dir = repo_root / ancestor;
    auto entries = list_directory(dir);
    if (!entries) continue;
    for (const std::string& file : markdown_files(dir, *entries)) {
      std::string name = lossy_utf8(ancestor + "/" + file);
      if (names.contains(name)) continue;
      if (auto text = read_text(dir / file)) {
        names.insert(name);
        docs.push_back({std::move(name), std::move(*text), "area"});
      }
    }
  }
  return docs;
}

}  // namespace varnel::prompt
