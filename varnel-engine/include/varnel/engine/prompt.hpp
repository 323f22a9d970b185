#pragma once
// The gathered pieces of one agent prompt, and their rendering into the prompt text
// whose sections are wrapped in `vn:` tags.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "varnel/engine/catalogue.hpp"

namespace varnel {

struct ContextDoc {
  std::string name;     // a label, usually a path relative to the repository root
  std::string content;  // the whole text
  std::string kind;     // "scratch", "roadmap", "docs", "area" or "diff_files"

  bool operator==(const ContextDoc&) const = default;
};

// The form in which the branch's changes were included.
enum class DiffTier { UnifiedDiff, StatOnly, None };

// "UnifiedDiff", "StatOnly" or "None".
std::string_view diff_tier_name(DiffTier tier);

struct PromptComponents {
  std::vector<ContextDoc> docs;
  std::vector<ContextDoc> files;
  std::string repo_root;
  std::vector<Direction> directions;
  std::vector<ContextDoc> summaries;
  std::vector<ContextDoc> area_docs;
  std::optional<std::string> run_mode;  // "auto" and "interactive" add a section
  std::optional<std::string> diff;
  std::optional<Step> step;
  std::optional<std::string> clipboard;
  std::optional<std::string> wave;
  std::optional<std::string> product_guide;
  std::optional<std::string> message;
  std::optional<std::string> area;
  uint64_t changed_files = 0;
  DiffTier diff_tier = DiffTier::None;

  // The prompt text: the present sections in their fixed order, joined by blank lines.
  // Contents are inserted verbatim. An empty record renders as "".
  std::string format() const;

  // An estimate of the content's tokens: one count_tokens call per piece of content
  // (step, each direction, guide, diff, each file, document, summary and area document,
  // clipboard), summed. Headings, tags, names and separators are not counted.
  uint64_t token_count() const;
};

// The tag of a document: the file stem of `name` ("README" for "roadmap/w/README.md"),
// or the whole name, made valid UTF-8, when it has no last component.
std::string doc_tag(std::string_view name);

}  // namespace varnel
