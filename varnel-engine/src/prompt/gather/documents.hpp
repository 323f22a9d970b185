#pragma once
// The repository documents a prompt carries: the scratch notes, the wave's roadmap, the
// Markdown files of the root and those of the directories above a working area.
// Documents that cannot be read, are not regular files or are not UTF-8 are skipped.

#include <expected>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "varnel/engine/engine_error.hpp"
#include "varnel/engine/prompt.hpp"

namespace varnel::prompt {

// True iff the text after the last dot of `file_name` is exactly "md" and that dot is
// not the name's first character.
bool has_md_extension(std::string_view file_name);

// Walks `dir` depth first in the order the system lists each directory, adding every
// readable ".md" file as kind "scratch", named relative to the parent of `dir`
// ("scratch/a.md", and "sub/b.md" for scratch/sub/b.md). Directories reached through
// symbolic links are walked, each directory at most once, so a link cycle ends. A
// directory that cannot be listed is an Io error.
std::expected<void, EngineError> add_scratch_docs(const std::filesystem::path& dir, std::vector<ContextDoc>& docs);

// roadmap/<wave>/README.md first, then the other ".md" files of roadmap/<wave> sorted
// by name, as kind "roadmap". Nothing when the directory does not exist; Io when it
// cannot be listed.
std::expected<void, EngineError> add_roadmap_docs(const std::filesystem::path& repo_root, std::string_view wave,
                                                  std::vector<ContextDoc>& docs);

// The ".md" files directly in the root, sorted by name, as kind "docs". Io when the
// root cannot be listed.
std::expected<void, EngineError> add_root_docs(const std::filesystem::path& repo_root, std::vector<ContextDoc>& docs);

// The directories above `area`, outermost first, worked out from the text alone: "a/b/c"
// gives "a", "a/b"; a top-level area gives none. Empty and "." components are dropped.
std::vector<std::string> area_ancestors(std::string_view area);

// The ".md" files of each ancestor of `area`, each directory sorted by name, as kind
// "area", named relative to the root. Directories that are missing or cannot be listed
// are skipped.
std::vector<ContextDoc> area_docs(const std::filesystem::path& repo_root, std::string_view area);

}  // namespace varnel::prompt
