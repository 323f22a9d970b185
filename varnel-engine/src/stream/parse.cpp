#include <nlohmann/json.hpp>

#include <exception>
#include <initializer_list>

#include "varnel/engine/stream.hpp"

namespace varnel::stream {
namespace {

using json = nlohmann::json;
using Kind = ParseOutcome::Kind;

const json null_json;

// The member `name` of `value`, or nullptr when `value` is not an object or lacks it.
const json* member(const json& value, const char* name) {
  if (!value.is_object()) return nullptr;
  const auto it = value.find(name);
  return it == value.end() ? nullptr : &*it;
}

// The member `name` when it is a string, else the empty text.
std::string string_member(const json& value, const char* name) {
  const json* m = member(value, name);
  return m && m->is_string() ? m->get<std::string>() : std::string();
}

const std::string* string_ptr(const json* value) {
  return value && value->is_string() ? value->get_ptr<const std::string*>() : nullptr;
}

std::optional<double> number(const json* value) {
  if (value && value->is_number()) return value->get<double>();
  return std::nullopt;
}

ParseOutcome ignored() { return {Kind::Ignored, {}}; }

ParseOutcome one(StreamEvent event) {
  ParseOutcome outcome{Kind::Events, {}};
  outcome.events.push_back(std::move(event));
  return outcome;
}

// The first member of `names` present in `value`, present or not.
const json* first_present(const json& value, std::initializer_list<const char*> names) {
  for (const char* name : names) {
    if (const json* m = member(value, name)) return m;
  }
  return nullptr;
}

Summary result_summary(const json& line) {
  Summary summary;
  // `status` only speaks when `subtype` is absent; likewise `cost_usd` for `total_cost_usd`.
  const std::string* outcome = string_ptr(first_present(line, {"subtype", "status"}));
  summary.failed = outcome && *outcome == "error";
  summary.cost_usd = number(first_present(line, {"total_cost_usd", "cost_usd"}));
  if (auto secs = number(member(line, "duration_secs"))) {
    summary.duration_secs = secs;
  } else if (auto ms = number(member(line, "duration_ms"))) {
    summary.duration_secs = *ms / 1000.0;
  } else if (const json* stats = member(line, "stats")) {
    if (auto stats_ms = number(member(*stats, "duration_ms"))) summary.duration_secs = *stats_ms / 1000.0;
  }
  return summary;
}

// What a claude tool call works on, from its `input`.
std::string claude_tool_detail(const std::string& name, const json& input) {
  if (name == "Read" || name == "Edit" || name == "Write") return string_member(input, "file_path");
  if (name == "Bash") {
    if (const std::string* description = string_ptr(member(input, "description"))) return *description;
    return truncate_detail(string_member(input, "command"));
  }
  if (name == "Grep") {
    std::string pattern = string_member(input, "pattern");
    if (const std::string* path = string_ptr(member(input, "path"))) return pattern + "  " + *path;
    return pattern;
  }
  if (name == "Glob") return string_member(input, "pattern");
  if (name == "Task") return string_member(input, "description");
  if (name == "WebFetch") return string_member(input, "url");
  if (name == "WebSearch") return string_member(input, "query");
  return {};
}

// claude: {"type":"assistant","message":{"content":[{"type":"text",...},{"type":"tool_use",...}]}}
ParseOutcome assistant_message(const json& line) {
  const json* message = member(line, "message");
  const json* content = message ? member(*message, "content") : nullptr;
  if (!content || !content->is_array()) return ignored();
  ParseOutcome outcome{Kind::Events, {}};
  for (const json& element : *content) {
    const std::string* type = string_ptr(member(element, "type"));
    if (!type) continue;
    if (*type == "text") {
      std::string text = string_member(element, "text");
      if (!text.empty()) outcome.events.push_back(Text{std::move(text)});
    } else if (*type == "tool_use") {
      const std::string* given = string_ptr(member(element, "name"));
      std::string name = given ? *given : "unknown";
      const json* input = member(element, "input");
      std::string detail = claude_tool_detail(name, input ? *input : null_json);
      outcome.events.push_back(ToolCall{std::move(name), std::move(detail)});
    }
  }
  return outcome.events.empty() ? ignored() : outcome;
}

// gemini: {"type":"tool_use","tool_name":...,"parameters":{...}}
ParseOutcome gemini_tool_use(const json& line) {
  const std::string* name = string_ptr(member(line, "tool_name"));
  if (!name) return ignored();
  const json* given = member(line, "parameters");
  const json& parameters = given ? *given : null_json;
  std::string detail;
  if (*name == "edit" || *name == "read_file" || *name == "write_file") {
    detail = string_member(parameters, "file_path");
  } else if (*name == "web_fetch") {
    detail = string_member(parameters, "url");
  } else if (*name == "google_web_search") {
    detail = string_member(parameters, "query");
  } else if (*name == "read_many_files") {
    detail = "multiple files";
  } else if (*name == "run_shell_command") {
    const json* taken = member(parameters, "description");
    if (!taken) taken = member(parameters, "command");
    if (const std::string* text = string_ptr(taken)) detail = truncate_detail(*text);
  }
  return one(ToolCall{*name, std::move(detail)});
}

// gemini: {"type":"message","role":"assistant","content":"..."}
ParseOutcome gemini_message(const json& line) {
  const std::string* role = string_ptr(member(line, "role"));
  const std::string* content = string_ptr(member(line, "content"));
  if (role && *role == "assistant" && content && !content->empty()) return one(Text{*content});
  return ignored();
}

// codex: {"type":"item.started"|"item.completed","item":{"type":...}}
ParseOutcome codex_item(const json& line, bool completed) {
  const json* item = member(line, "item");
  if (!item || !item->is_object()) return ignored();
  const std::string* type = string_ptr(member(*item, "type"));
  if (!type) return ignored();
  if (completed && *type == "file_change") {
    const json* changes = member(*item, "changes");
    if (!changes || !changes->is_array()) return ignored();
    std::string paths;
    int taken = 0;
    for (const json& change : *changes) {
      const std::string* path = string_ptr(member(change, "path"));
      if (!path) continue;
      if (taken > 0) paths += ", ";
      paths += *path;
      if (++taken == 3) break;
    }
    return one(ToolCall{"Edit", std::move(paths)});
  }
  if (completed && *type == "agent_message") {
    std::string text = string_member(*item, "text");
    if (text.empty()) return ignored();
    return one(Text{std::move(text)});
  }
  if (!completed && *type == "mcp_tool_call") {
    const std::string* tool = string_ptr(member(*item, "tool"));
    return one(ToolCall{tool ? *tool : "unknown", string_member(*item, "server")});
  }
  if (!completed && *type == "command_execution") {
    return one(ToolCall{"Bash", truncate_detail(string_member(*item, "command"))});
  }
  return ignored();
}

ParseOutcome dispatch(const json& line) {
  const std::string* type = string_ptr(member(line, "type"));
  if (!type) return {};
  const std::string& t = *type;
  if (t == "user" || t == "init" || t == "system" || t == "error" || t == "tool_result" || t == "turn.started" ||
      t == "item.updated" || t == "thread.started") {
    return ignored();
  }
  if (t == "result") return one(result_summary(line));
  if (t == "message") return gemini_message(line);
  if (t == "tool_use") return gemini_tool_use(line);
  if (t == "assistant") return assistant_message(line);
  if (t == "turn.completed") return one(Summary{std::nullopt, std::nullopt, false});
  if (t == "turn.failed") return one(Summary{std::nullopt, std::nullopt, true});
  if (t == "item.started") return codex_item(line, false);
  if (t == "item.completed") return codex_item(line, true);
  return {};
}

bool json_space(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }

}  // namespace

ParseOutcome parse_stream_line(std::string_view line) {
  // Only an object can be an event; most echoed lines are plain text, so skip the parser.
  size_t start = 0;
  while (start < line.size() && json_space(line[start])) ++start;
  if (start == line.size() || line[start] != '{') return {};
  try {
    // Strict: the parser rejects anything but white space after the value.
    const json value = json::parse(line, nullptr, /*allow_exceptions=*/false);
    if (value.is_discarded()) return {};
    return dispatch(value);
  } catch (const std::exception&) {
    // Allocation failures and the like: the line is shown as it is.
    return {};
  }
}

std::string truncate_detail(std::string_view text) {
  constexpr size_t limit = 60;
  if (text.size() <= limit) return std::string(text);
  size_t cut = limit;
  // Back up over continuation bytes to the start of the character that straddles the cut.
  while (cut > 0 && (static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80) --cut;
  std::string out(text.substr(0, cut));
  out += "...";
  return out;
}

}  // namespace varnel::stream
