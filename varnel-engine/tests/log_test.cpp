#include "varnel/engine/log.hpp"

#include <gtest/gtest.h>

namespace varnel::log {
namespace {

TEST(LogTest, EventsReachTheSinkAtOrAboveItsLevelOnly) {
  std::vector<std::string> seen;
  EXPECT_FALSE(enabled(Level::Error));  // nothing installed
  set_sink([&](const Event& e) { seen.emplace_back(e.message); }, Level::Info);
  EXPECT_FALSE(enabled(Level::Debug));
  EXPECT_TRUE(enabled(Level::Info));
  emit({"t", Level::Debug, "dropped", {}});
  emit({"t", Level::Info, "kept", {{"elapsed_ms", uint64_t{3}}}});
  set_sink(nullptr);
  emit({"t", Level::Error, "after removal", {}});
  EXPECT_EQ(seen, std::vector<std::string>{"kept"});
  EXPECT_FALSE(enabled(Level::Error));
}

}  // namespace
}  // namespace varnel::log
