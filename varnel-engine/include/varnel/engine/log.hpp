#pragma once
// Structured log events: a fixed message, a target, a level and typed fields.
//
// Nothing is installed by default, and then an event costs one relaxed atomic load:
//
//   if (log::enabled(log::Level::Debug)) {
//     log::emit({"varnel_engine::agent", log::Level::Debug, "agent batch completed",
//                {{"elapsed_ms", elapsed}}});
//   }
//
// A sink is process-wide; install one before events are emitted and remove it after
// (tests do this). A sink may be called from any thread.

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <utility>
#include <variant>
#include <vector>

namespace varnel::log {

enum class Level { Trace = 0, Debug = 1, Info = 2, Warn = 3, Error = 4, Off = 5 };

using Value = std::variant<bool, int64_t, uint64_t, std::string>;

struct Field {
  std::string_view name;
  Value value;
};

struct Event {
  std::string_view target;
  Level level;
  std::string_view message;
  std::vector<Field> fields;
};

using Sink = std::function<void(const Event&)>;

// Returns true iff a sink is installed that wants events of `level`.
bool enabled(Level level);

// Hands `event` to the installed sink, if it wants the event's level.
void emit(const Event& event);

// Installs `sink` for events of `min_level` and above, replacing any previous sink;
// an empty sink removes it. Not to be called while another thread emits.
void set_sink(Sink sink, Level min_level = Level::Trace);

}  // namespace varnel::log
