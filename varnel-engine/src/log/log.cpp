#include "varnel/engine/log.hpp"

#include <atomic>

namespace varnel::log {
namespace {

std::atomic<int> min_enabled{static_cast<int>(Level::Off)};
Sink& installed() {
  static Sink sink;
  return sink;
}

}  // namespace

bool enabled(Level level) {
  return static_cast<int>(level) >= min_enabled.load(std::memory_order_relaxed);
}

void emit(const Event& event) {
  if (!enabled(event.level)) return;
  if (const Sink& sink = installed()) sink(event);
}

void set_sink(Sink sink, Level min_level) {
  min_enabled.store(static_cast<int>(Level::Off), std::memory_order_relaxed);
  installed() = std::move(sink);
  if (installed()) min_enabled.store(static_cast<int>(min_level), std::memory_order_release);
}

}  // namespace varnel::log
