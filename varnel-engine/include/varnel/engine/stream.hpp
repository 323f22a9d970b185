#pragma once
// Agent event streams: the JSON lines that claude, gemini (both "stream-json") and codex
// ("--json") write in a streaming run, mapped onto one small event model and rendered as
// terminal text. The assistant's words go to stdout; one short line per tool call and a
// one-line summary go to stderr.

#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace varnel::stream {

// The assistant's words.
struct Text {
  std::string text;
};

// One tool call: a label and what it works on (may be empty).
struct ToolCall {
  std::string name;
  std::string detail;
};

// The end of a run.
struct Summary {
  std::optional<double> cost_usd;
  std::optional<double> duration_secs;
  bool failed = false;
};

using StreamEvent = std::variant<Text, ToolCall, Summary>;

struct ParseOutcome {
  enum class Kind {
    Events,        // `events` holds at least one event, in order
    Ignored,       // a known event with nothing to show
    Unrecognized,  // not an agent event at all
  };
  Kind kind = Kind::Unrecognized;
  std::vector<StreamEvent> events;
};

// Parses one line of agent output (without its terminator). The whole line must be one
// JSON object, optionally surrounded by JSON white space; anything else is Unrecognized.
ParseOutcome parse_stream_line(std::string_view line);

// The terminal text of one event. The writer puts a non-empty `out` on stdout as it is
// (no newline) and flushes, and a non-empty `err` on stderr followed by a newline.
struct RenderedEvent {
  std::string out;
  std::string err;
};

// Renders `event`, with ANSI colours iff `color`.
RenderedEvent render_stream_event(const StreamEvent& event, bool color);

// Returns `text` when it holds at most 60 bytes, else its first 60 bytes (fewer when byte
// 60 falls inside a UTF-8 sequence, so the cut stays on a character boundary) and "...".
std::string truncate_detail(std::string_view text);

}  // namespace varnel::stream
