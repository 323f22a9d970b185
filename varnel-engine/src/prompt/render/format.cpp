#include <fmt/format.h>

#include "varnel/engine/prompt.hpp"

namespace varnel {
namespace {

constexpr std::string_view kAutoMode =
    "Run mode is auto (headless). Proceed without pausing for questions. If you need clarification, make the "
    "best assumption you can and append any open questions to `scratch/questions.md`.";
constexpr std::string_view kInteractiveMode =
    "Run mode is interactive. This is a conversation\u2014ask questions, propose approaches, and wait for "
    "feedback before taking major actions.";

std::string document_blocks(const std::vector<ContextDoc>& docs) {
  std::string out;
  for (const ContextDoc& doc : docs) {
    if (!out.empty()) out += "\n\n";
    const std::string tag = doc_tag(doc.name);
    fmt::format_to(std::back_inserter(out), "<vn:{0}>\n{1}\n</vn:{0}>", tag, doc.content);
  }
  return out;
}

std::string direction_block(const Direction& direction) {
  return fmt::format("<vn:direction:{0}>\n{1}\n</vn:direction:{0}>", direction.name, direction.content);
}

std::string changes(const std::optional<std::string>& diff, const std::vector<ContextDoc>& files) {
  std::string out;
  if (diff) out = fmt::format("<vn:diff>\n{}\n</vn:diff>", *diff);
  if (!files.empty()) {
    if (!out.empty()) out += "\n\n";
    out += "Reference files for this task. Includes parent documentation for context.\n<vn:files>";
    for (const ContextDoc& file : files) {
      fmt::format_to(std::back_inserter(out), "\n<vn:file path=\"{}\">\n{}\n</vn:file>", file.name, file.content);
    }
    out += "\n</vn:files>";
  }
  return out;
}

}  // namespace

std::string PromptComponents::format() const {
  std::vector<std::string> sections;
  if (product_guide) sections.push_back(fmt::format("<vn:varnel>\n{}\n</vn:varnel>", *product_guide));
  if (run_mode == "auto") sections.emplace_back(kAutoMode);
  if (run_mode == "interactive") sections.emplace_back(kInteractiveMode);
  if (wave) {
    sections.push_back(fmt::format(
        "<vn:wave name=\"{0}\">\nYou are building toward the {0} program of work.\n"
        "Roadmap context is included in docs below.\n</vn:wave>",
        *wave));
  }
  if (!docs.empty()) {
    sections.push_back(fmt::format(
        "Repository documentation. Follow STYLE carefully. May include design artifacts (scratch/) and "
        "internal docs (reports/).\n\n<vn:docs>\n{}\n</vn:docs>",
        document_blocks(docs)));
  }
  if (!summaries.empty()) {
    std::string blocks;
    for (const ContextDoc& summary : summaries) {
      if (!blocks.empty()) blocks += "\n\n";
      fmt::format_to(std::back_inserter(blocks), "<vn:summary path=\"{}\">\n{}\n</vn:summary>", summary.name,
                     summary.content);
    }
    sections.push_back(fmt::format("Pre-generated codebase summaries.\n\n<vn:summaries>\n{}\n</vn:summaries>", blocks));
  }
  if (!area_docs.empty()) {
    sections.push_back(
        fmt::format("Area docs for `{}`. Architectural context from parent directories.\n\n<vn:area>\n{}\n</vn:area>",
                    area ? std::string_view(*area) : std::string_view("area"), document_blocks(area_docs)));
  }
  if (directions.size() == 1) {
    sections.push_back(fmt::format("Direction for this work.\n\n{}", direction_block(directions.front())));
  } else if (directions.size() > 1) {
    std::string blocks;
    for (const Direction& direction : directions) {
      if (!blocks.empty()) blocks += "\n";
      blocks += direction_block(direction);
    }
    sections.push_back(fmt::format("Directions for this work.\n\n<vn:directions>\n{}\n</vn:directions>", blocks));
  }
  if (step) {
    sections.push_back(fmt::format("The step.\n\n<vn:step:{0}>\n{1}\n</vn:step:{0}>", step->name, step->content));
  }
  if (diff || !files.empty()) {
    sections.push_back(fmt::format("Changes on this branch (diff against main).\n\n{}", changes(diff, files)));
  }
  if (clipboard) {
    sections.push_back(fmt::format("Content from clipboard.\n\n<vn:clipboard>\n{}\n</vn:clipboard>", *clipboard));
  }
  if (message) {
    sections.push_back(fmt::format("Additional instructions from user.\n\n<vn:message>\n{}\n</vn:message>", *message));
  }
  std::string prompt;
  for (const std::string& section : sections) {
    if (!prompt.empty()) prompt += "\n\n";
    prompt += section;
  }
  return prompt;
}

}  // namespace varnel
