#include "varnel/engine/gather.hpp"

#include <gtest/gtest.h>

#include <string>
#include <variant>
#include <vector>

#include "temp_tree.hpp"
#include "varnel/engine/catalogue.hpp"
#include "varnel/engine/log.hpp"

namespace varnel {
namespace {

// One event as the sink saw it, fields as "name=value" with the value's type.
struct Seen {
  std::string target;
  log::Level level;
  std::string message;
  std::vector<std::string> fields;
};

std::string show(const log::Field& f) {
  return std::string(f.name) + "=" +
         std::visit(
             [&](const auto& v) -> std::string {
               using V = std::decay_t<decltype(v)>;
               if constexpr (std::is_same_v<V, bool>) return v ? "true" : "false";
               else if constexpr (std::is_same_v<V, std::string>) return "'" + v + "'";
               else if constexpr (std::is_same_v<V, uint64_t>) return f.name == "elapsed_ms" ? "ms" : std::to_string(v);
               else return "signed:" + std::to_string(v);
             },
             f.value);
}

class GatherTest : public ::testing::Test {
 protected:
  void SetUp() override {
    log::set_sink(
        [this](const log::Event& e) {
          Seen s{std::string(e.target), e.level, std::string(e.message), {}};
          for (const auto& f : e.fields) s.fields.push_back(show(f));
          seen_.push_back(std::move(s));
        },
        log::Level::Trace);
  }
  void TearDown() override { log::set_sink(nullptr); }

  testing::TempTree tree_;
  std::vector<Seen> seen_;
};

TEST_F(GatherTest, EveryPhaseReportsAnEvent) {
  tree_.write(".vn/steps/s.md", "---\ndirections: [d, d]\n---\nbody");
  tree_.write(".vn/directions/d.md", "D");
  tree_.write("scratch/n.md", "n");
  tree_.write("README.md", "r");
  tree_.write("a/x.md", "x");
  ContextRequest request;
  request.repo_root = tree_.path();
  request.step = "s";
  request.directions = {"d"};
  request.area = "a/b";
  request.diff_files = false;
  auto got = gather_context(request);
  ASSERT_TRUE(got.has_value()) << got.error().display();

  const std::vector<std::pair<std::string, std::vector<std::string>>> expected = {
      {"loaded step", {"elapsed_ms=ms"}},
      {"loaded directions", {"elapsed_ms=ms", "count=3"}},
      {"gathered docs", {"elapsed_ms=ms", "count=2"}},
      {"gathered diff", {"elapsed_ms=ms", "diff_tier='None'", "has_diff=false"}},
      {"gathered explicit files", {"elapsed_ms=ms", "count=0"}},
      {"read clipboard", {"elapsed_ms=ms", "has_clipboard=false"}},
      {"gathered area docs", {"elapsed_ms=ms", "count=1"}},
      {"gathered context", {"elapsed_ms=ms"}},
  };
  ASSERT_EQ(seen_.size(), expected.size());
  for (size_t i = 0; i < expected.size(); ++i) {
    EXPECT_EQ(seen_[i].target, "varnel_engine::prompt");
    EXPECT_EQ(seen_[i].level, log::Level::Debug);
    EXPECT_EQ(seen_[i].message, expected[i].first);
    EXPECT_EQ(seen_[i].fields, expected[i].second) << expected[i].first;
  }
  // The step's directions first, then the request's, none merged.
  ASSERT_EQ(got->directions.size(), 3u);
  EXPECT_EQ(got->directions[0].content, "D");
  EXPECT_EQ(got->step->content, "body");
}

TEST_F(GatherTest, NothingAskedForLeavesOnlyTheGuide) {
  ContextRequest request;
  request.repo_root = tree_.path();
  request.vndocs = false;
  request.diff_files = false;
  request.run_mode = "interactive";
  auto got = gather_context(request);
  ASSERT_TRUE(got.has_value());
  EXPECT_EQ(got->product_guide, std::string(product_guide()));
  EXPECT_TRUE(got->docs.empty() && got->files.empty() && got->directions.empty() && got->area_docs.empty());
  EXPECT_FALSE(got->step || got->diff || got->clipboard || got->wave || got->message || got->area);
  EXPECT_EQ(got->run_mode, "interactive");
  EXPECT_EQ(got->repo_root, tree_.path().string());
  EXPECT_EQ(got->diff_tier, DiffTier::None);
}

TEST_F(GatherTest, FailureReturnsOnlyTheError) {
  ContextRequest step_missing, direction_missing;
  step_missing.repo_root = direction_missing.repo_root = tree_.path();
  step_missing.step = "nowhere";
  direction_missing.directions = {"nowhere"};
  const std::pair<ContextRequest, std::string> cases[] = {
      {step_missing, "step not found: nowhere"},
      {direction_missing, "execution failed: direction not found: nowhere"},
  };
  for (const auto& [request, text] : cases) {
    seen_.clear();
    auto got = gather_context(request);
    ASSERT_FALSE(got.has_value());
    EXPECT_EQ(got.error().display(), text);
    EXPECT_TRUE(seen_.empty() || seen_.back().message != "gathered context");
  }
}

}  // namespace
}  // namespace varnel
