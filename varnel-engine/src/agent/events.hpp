#pragma once
// The agent runner's log events: target varnel_engine::agent, timed from a start point.

#include <chrono>
#include <cstdint>
#include <string_view>

#include "varnel/engine/log.hpp"

namespace varnel::agent {

using Clock = std::chrono::steady_clock;

inline uint64_t elapsed_ms(Clock::time_point since) {
  return static_cast<uint64_t>(std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - since).count());
}

// Emits `message` with `elapsed_ms` since `since`; costs one check when nobody listens.
inline void timed_event(log::Level level, std::string_view message, Clock::time_point since) {
  if (!log::enabled(level)) return;
  log::emit({"varnel_engine::agent", level, message, {{"elapsed_ms", elapsed_ms(since)}}});
}

}  // namespace varnel::agent
