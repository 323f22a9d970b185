#include <fmt/format.h>

#include <cmath>
#include <cstdint>

#include "varnel/engine/stream.hpp"

namespace varnel::stream {
namespace {

constexpr const char* grey = "\x1b[90m";
constexpr const char* red = "\x1b[31m";
constexpr const char* green = "\x1b[32m";
constexpr const char* reset = "\x1b[0m";

// Whole seconds, halves away from zero; negative (and NaN) durations are 0 and huge ones
// saturate, so no input makes the conversion undefined.
uint64_t whole_seconds(double secs) {
  if (!(secs > 0)) return 0;
  const double rounded = std::round(secs);
  if (rounded >= 18446744073709551616.0) return UINT64_MAX;
  return static_cast<uint64_t>(rounded);
}

std::string duration_text(double secs) {
  const uint64_t s = whole_seconds(secs);
  if (s <= 59) return fmt::format("{}s", s);
  return fmt::format("{}m{}s", s / 60, s % 60);
}

std::string summary_text(const Summary& summary, bool color) {
  std::string text;
  const char* code;
  if (summary.failed) {
    text = "failed";
    code = red;
  } else {
    std::string parts;
    if (summary.cost_usd) parts = fmt::format("{:.2f} USD", *summary.cost_usd);
    if (summary.duration_secs) {
      if (!parts.empty()) parts += ", ";
      parts += duration_text(*summary.duration_secs);
    }
    text = parts.empty() ? "ok" : fmt::format("ok ({})", parts);
    code = green;
  }
  return color ? fmt::format("{}{}{}", code, text, reset) : text;
}

struct Renderer {
  bool color;

  RenderedEvent operator()(const Text& e) const { return {e.text, {}}; }

  RenderedEvent operator()(const ToolCall& e) const {
    std::string line = e.detail.empty() ? fmt::format("-> {}", e.name) : fmt::format("-> {}  {}", e.name, e.detail);
    if (color) line = fmt::format("{}{}{}", grey, line, reset);
    return {{}, std::move(line)};
  }

  RenderedEvent operator()(const Summary& e) const { return {{}, summary_text(e, color)}; }
};

}  // namespace

RenderedEvent render_stream_event(const StreamEvent& event, bool color) {
  return std::visit(Renderer{color}, event);
}

}  // namespace varnel::stream
