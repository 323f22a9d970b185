#include <gtest/gtest.h>

#include "varnel/engine/prompt.hpp"
#include "varnel/engine/tokens.hpp"

namespace varnel {
namespace {

constexpr const char* kAuto =
    "Run mode is auto (headless). Proceed without pausing for questions. If you need clarification, make the best "
    "assumption you can and append any open questions to `scratch/questions.md`.";

ContextDoc doc(std::string name, std::string content, std::string kind = "docs") {
  return {std::move(name), std::move(content), std::move(kind)};
}

Direction direction(std::string name, std::string content) {
  return {name, std::move(content), "builtin:" + name};
}

// A record with only what `fill` sets.
template <class Fill>
PromptComponents with(Fill fill) {
  PromptComponents components;
  fill(components);
  return components;
}

TEST(RenderTest, EachSectionKind) {
  struct Case {
    const char* name;
    PromptComponents components;
    std::string expected;
  } cases[] = {
      {"empty record", PromptComponents{}, ""},
      {"guide only",
       with([](PromptComponents& c) { c.product_guide = "GUIDE"; }),
       "<vn:varnel>\nGUIDE\n</vn:varnel>"},
      {"guide and auto",
       with([](PromptComponents& c) { c.run_mode = "auto", c.product_guide = "G"; }),
       std::string("<vn:varnel>\nG\n</vn:varnel>\n\n") + kAuto},
      {"interactive",
       with([](PromptComponents& c) { c.run_mode = "interactive"; }),
       "Run mode is interactive. This is a conversation\u2014ask questions, propose approaches, and wait for feedback "
       "before taking major actions."},
      {"other run modes add nothing", with([](PromptComponents& c) { c.run_mode = "Auto"; }), ""},
      {"wave",
       with([](PromptComponents& c) { c.wave = "w1"; }),
       "<vn:wave name=\"w1\">\nYou are building toward the w1 program of work.\nRoadmap context is included in docs "
       "below.\n</vn:wave>"},
      {"docs tagged by file stem",
       with([](PromptComponents& c) {
         c.docs = {doc("roadmap/w/README.md", "A", "roadmap"), doc("README.md", "B"),
                   doc("scratch/notes.md", "</vn:docs>", "scratch")};
       }),
       "Repository documentation. Follow STYLE carefully. May include design artifacts (scratch/) and internal docs "
       "(reports/).\n\n<vn:docs>\n<vn:README>\nA\n</vn:README>\n\n<vn:README>\nB\n</vn:README>\n\n<vn:notes>\n"
       "</vn:docs>\n</vn:notes>\n</vn:docs>"},
      {"summaries",
       with([](PromptComponents& c) { c.summaries = {doc("src", "S1"), doc("lib", "S2")}; }),
       "Pre-generated codebase summaries.\n\n<vn:summaries>\n<vn:summary path=\"src\">\nS1\n</vn:summary>\n\n"
       "<vn:summary path=\"lib\">\nS2\n</vn:summary>\n</vn:summaries>"},
      {"area docs",
       with([](PromptComponents& c) { c.area_docs = {doc("src/ARCH.md", "arch", "area")}, c.area = "src/api"; }),
       "Area docs for `src/api`. Architectural context from parent directories.\n\n<vn:area>\n<vn:ARCH>\narch\n"
       "</vn:ARCH>\n</vn:area>"},
      {"area docs without an area",
       with([](PromptComponents& c) { c.area_docs = {doc("a.md", "x", "area")}; }),
       "Area docs for `area`. Architectural context from parent directories.\n\n<vn:area>\n<vn:a>\nx\n</vn:a>\n"
       "</vn:area>"},
      {"one direction",
       with([](PromptComponents& c) { c.directions = {direction("ceo", "Decide.")}; }),
       "Direction for this work.\n\n<vn:direction:ceo>\nDecide.\n</vn:direction:ceo>"},
      {"two directions",
       with([](PromptComponents& c) { c.directions = {direction("ceo", "Decide."), direction("flow", "Move.\n")}; }),
       "Directions for this work.\n\n<vn:directions>\n<vn:direction:ceo>\nDecide.\n</vn:direction:ceo>\n"
       "<vn:direction:flow>\nMove.\n\n</vn:direction:flow>\n</vn:directions>"},
      {"step",
       with([](PromptComponents& c) { c.step = Step{"implement", {"ceo"}, "opus", "Build it.\n", false}; }),
       "The step.\n\n<vn:step:implement>\nBuild it.\n\n</vn:step:implement>"},
      {"diff only",
       with([](PromptComponents& c) { c.diff = "+x"; }),
       "Changes on this branch (diff against main).\n\n<vn:diff>\n+x\n</vn:diff>"},
      {"reference files only",
       with([](PromptComponents& c) {
         c.files = {doc("a.py", "A", "diff_files"), doc("b/README.md", "B", "diff_files")};
       }),
       "Changes on this branch (diff against main).\n\nReference files for this task. Includes parent documentation "
       "for context.\n<vn:files>\n<vn:file path=\"a.py\">\nA\n</vn:file>\n<vn:file path=\"b/README.md\">\nB\n"
       "</vn:file>\n</vn:files>"},
      {"diff and reference files",
       with([](PromptComponents& c) { c.files = {doc("a.py", "A", "diff_files")}; c.diff = ""; }),
       "Changes on this branch (diff against main).\n\n<vn:diff>\n\n</vn:diff>\n\nReference files for this task. "
       "Includes parent documentation for context.\n<vn:files>\n<vn:file path=\"a.py\">\nA\n</vn:file>\n</vn:files>"},
      {"clipboard",
       with([](PromptComponents& c) { c.clipboard = "Traceback"; }),
       "Content from clipboard.\n\n<vn:clipboard>\nTraceback\n</vn:clipboard>"},
      {"message",
       with([](PromptComponents& c) { c.message = "be brief"; }),
       "Additional instructions from user.\n\n<vn:message>\nbe brief\n</vn:message>"},
  };
  for (const Case& c : cases) EXPECT_EQ(c.components.format(), c.expected) << c.name;
}

TEST(RenderTest, SectionsFollowTheirFixedOrder) {
  PromptComponents all;
  all.docs = {doc("README.md", "D")};
  all.files = {doc("f.py", "F", "diff_files")};
  all.repo_root = "/repo";
  all.directions = {direction("ceo", "C")};
  all.summaries = {doc("src", "S")};
  all.area_docs = {doc("src/A.md", "A", "area")};
  all.run_mode = "auto";
  all.diff = "P";
  all.step = Step{"gate", {}, {}, "T", {}};
  all.clipboard = "K";
  all.wave = "w";
  all.product_guide = "G";
  all.message = "M";
  all.area = "src/x";
  all.changed_files = 3;
  all.diff_tier = DiffTier::UnifiedDiff;
  const std::string expected = std::string("<vn:varnel>\nG\n</vn:varnel>\n\n") + kAuto +
      "\n\n<vn:wave name=\"w\">\nYou are building toward the w program of work.\nRoadmap context is included in docs "
      "below.\n</vn:wave>\n\n"
      "Repository documentation. Follow STYLE carefully. May include design artifacts (scratch/) and internal docs "
      "(reports/).\n\n<vn:docs>\n<vn:README>\nD\n</vn:README>\n</vn:docs>\n\n"
      "Pre-generated codebase summaries.\n\n<vn:summaries>\n<vn:summary path=\"src\">\nS\n</vn:summary>\n"
      "</vn:summaries>\n\n"
      "Area docs for `src/x`. Architectural context from parent directories.\n\n<vn:area>\n<vn:A>\nA\n</vn:A>\n"
      "</vn:area>\n\n"
      "Direction for this work.\n\n<vn:direction:ceo>\nC\n</vn:direction:ceo>\n\n"
      "The step.\n\n<vn:step:gate>\nT\n</vn:step:gate>\n\n"
      "Changes on this branch (diff against main).\n\n<vn:diff>\nP\n</vn:diff>\n\nReference files for this task. "
      "Includes parent documentation for context.\n<vn:files>\n<vn:file path=\"f.py\">\nF\n</vn:file>\n</vn:files>\n\n"
      "Content from clipboard.\n\n<vn:clipboard>\nK\n</vn:clipboard>\n\n"
      "Additional instructions from user.\n\n<vn:message>\nM\n</vn:message>";
  EXPECT_EQ(all.format(), expected);
  EXPECT_EQ(all.format(), expected);  // rendering reads the record only
}

TEST(RenderTest, DocumentTagIsTheFileStem) {
  const std::pair<std::string, std::string> cases[] = {
      {"README.md", "README"},
      {"roadmap/w/README.md", "README"},
      {"scratch/notes.md", "notes"},
      {"archive.tar.gz", "archive.tar"},
      {".gitignore", ".gitignore"},
      {".config.md", ".config"},
      {"name.", "name"},
      {"Makefile", "Makefile"},
      {"docs/", "docs"},
      {"docs/./x.md/.", "x"},
      {"/", "/"},
      {"", ""},
      {"..", ".."},
      {"a/..", "a/.."},
      {"caf\xE9.md", "caf\xEF\xBF\xBD"},
  };
  for (const auto& [name, tag] : cases) EXPECT_EQ(doc_tag(name), tag) << name;
}

TEST(RenderTest, TokenCountSumsOnePieceAtATime) {
  const std::string guide = "The product guide, with several words in it.";
  PromptComponents components;
  components.product_guide = guide;
  EXPECT_EQ(components.token_count(), count_tokens(guide));

  components.clipboard = "";
  EXPECT_EQ(components.token_count(), count_tokens(guide) + 1);

  // Neither the run mode, the wave, the message, names, paths nor headings count.
  components.run_mode = "auto";
  components.wave = "a long wave name that would cost tokens";
  components.message = "a long message that would cost tokens too";
  components.area = "src/api";
  EXPECT_EQ(components.token_count(), count_tokens(guide) + 1);

  components.step = Step{"a-step-name-that-is-long", {}, {}, "step text here", {}};
  components.directions = {direction("ceo", "one direction"), direction("flow", "another direction")};
  components.diff = "diff text";
  components.files = {doc("a/very/long/path.py", "file content")};
  components.docs = {doc("README.md", "readme text"), doc("x.md", "")};
  components.summaries = {doc("src", "summary text")};
  components.area_docs = {doc("src/A.md", "area text")};
  const uint64_t expected = count_tokens(guide) + 1 + count_tokens("step text here") + count_tokens("one direction") +
                            count_tokens("another direction") + count_tokens("diff text") +
                            count_tokens("file content") + count_tokens("readme text") + count_tokens("") +
                            count_tokens("summary text") + count_tokens("area text");
  EXPECT_EQ(components.token_count(), expected);
}

TEST(RenderTest, DiffTierNames) {
  EXPECT_EQ(diff_tier_name(DiffTier::UnifiedDiff), "UnifiedDiff");
  EXPECT_EQ(diff_tier_name(DiffTier::StatOnly), "StatOnly");
  EXPECT_EQ(diff_tier_name(DiffTier::None), "None");
}

}  // namespace
}  // namespace varnel
