#include "varnel/engine/stream.hpp"

#include <gtest/gtest.h>

#include <string>

namespace varnel::stream {
namespace {

using Kind = ParseOutcome::Kind;

// What the runner shows for one line: the stdout texts run together, and each stderr
// text on a line of its own.
struct Shown {
  std::string out;
  std::string err;
};

Shown show(const ParseOutcome& outcome, bool color) {
  Shown shown;
  for (const auto& event : outcome.events) {
    const RenderedEvent r = render_stream_event(event, color);
    shown.out += r.out;
    if (!r.err.empty()) shown.err += r.err + "\n";
  }
  return shown;
}

const std::string a60(60, 'a');
const std::string command61 = a60 + "b";

struct Case {
  std::string line;
  Kind kind;
  std::string out = "";
  std::string err = "";        // plain
  std::string err_color = "";  // with colour; Text never changes
};

const Case cases[] = {
    // Not agent events.
    {"not json", Kind::Unrecognized},
    {"", Kind::Unrecognized},
    {"[1, 2]", Kind::Unrecognized},
    {"{}", Kind::Unrecognized},
    {R"({"type": 3})", Kind::Unrecognized},
    {R"({"type": null})", Kind::Unrecognized},
    {R"({"type": "bogus"})", Kind::Unrecognized},
    {R"({"type": "result"} trailing)", Kind::Unrecognized},
    {R"({"type": "result"}{"type": "result"})", Kind::Unrecognized},
    {R"({"type": "result",})", Kind::Unrecognized},
    {R"({"type": "Result"})", Kind::Unrecognized},
    {R"("{\"type\": \"result\"}")", Kind::Unrecognized},

    // Known events with nothing to show.
    {" \t{\"type\": \"user\"} \r", Kind::Ignored},
    {R"({"type": "init"})", Kind::Ignored},
    {R"({"type": "system", "subtype": "init"})", Kind::Ignored},
    {R"({"type": "error", "message": "boom"})", Kind::Ignored},
    {R"({"type": "tool_result"})", Kind::Ignored},
    {R"({"type": "turn.started"})", Kind::Ignored},
    {R"({"type": "item.updated", "item": {"type": "agent_message", "text": "x"}})", Kind::Ignored},
    {R"({"type": "thread.started", "thread_id": "t"})", Kind::Ignored},

    // claude: results.
    {R"({"type": "result", "subtype": "success", "total_cost_usd": 0.1234, "duration_ms": 65400})", Kind::Events,
     "", "ok (0.12 USD, 1m5s)\n", "\x1b[32mok (0.12 USD, 1m5s)\x1b[0m\n"},
    {R"({"type": "result", "duration_secs": 59.5})", Kind::Events, "", "ok (1m0s)\n",
     "\x1b[32mok (1m0s)\x1b[0m\n"},
    {R"({"type": "result", "duration_secs": 0.4})", Kind::Events, "", "ok (0s)\n", "\x1b[32mok (0s)\x1b[0m\n"},
    {R"({"type": "result", "duration_secs": 2.5})", Kind::Events, "", "ok (3s)\n", "\x1b[32mok (3s)\x1b[0m\n"},
    {R"({"type": "result", "duration_secs": -3})", Kind::Events, "", "ok (0s)\n", "\x1b[32mok (0s)\x1b[0m\n"},
    {R"({"type": "result", "duration_secs": 1e30})", Kind::Events, "", "ok (307445734561825860m15s)\n",
     "\x1b[32mok (307445734561825860m15s)\x1b[0m\n"},
    {R"({"type": "result", "duration_secs": "5", "duration_ms": 3000})", Kind::Events, "", "ok (3s)\n",
     "\x1b[32mok (3s)\x1b[0m\n"},
    {R"({"type": "result", "stats": {"duration_ms": 125000}})", Kind::Events, "", "ok (2m5s)\n",
     "\x1b[32mok (2m5s)\x1b[0m\n"},
    {R"({"type": "result"})", Kind::Events, "", "ok\n", "\x1b[32mok\x1b[0m\n"},
    {R"({"type": "result", "cost_usd": 2})", Kind::Events, "", "ok (2.00 USD)\n", "\x1b[32mok (2.00 USD)\x1b[0m\n"},
    {R"({"type": "result", "total_cost_usd": "0.5", "cost_usd": 2})", Kind::Events, "", "ok\n",
     "\x1b[32mok\x1b[0m\n"},
    {R"({"type": "result", "subtype": "error", "total_cost_usd": 1})", Kind::Events, "", "failed\n",
     "\x1b[31mfailed\x1b[0m\n"},
    {R"({"type": "result", "status": "error"})", Kind::Events, "", "failed\n", "\x1b[31mfailed\x1b[0m\n"},
    {R"({"type": "result", "subtype": "success", "status": "error"})", Kind::Events, "", "ok\n",
     "\x1b[32mok\x1b[0m\n"},
    {R"({"type": "result", "subtype": null, "status": "error"})", Kind::Events, "", "ok\n", "\x1b[32mok\x1b[0m\n"},
    {R"({"type": "result", "subtype": "error_max_turns"})", Kind::Events, "", "ok\n", "\x1b[32mok\x1b[0m\n"},

    // claude: assistant messages.
    {R"({"type": "assistant", "message": {"content": [{"type": "text", "text": ""},
        {"type": "tool_use", "name": "Grep", "input": {"pattern": "foo", "path": "src"}}]}})",
     Kind::Events, "", "-> Grep  foo  src\n", "\x1b[90m-> Grep  foo  src\x1b[0m\n"},
    {R"({"type": "assistant", "message": {"content": [{"type": "text", "text": "Hello "}, {"text": "skipped"},
        {"type": "image"}, {"type": "text", "text": "world"}]}})",
     Kind::Events, "Hello world"},
    {R"({"type": "assistant", "message": {"content": [{"type": "tool_use", "name": "Bash",
        "input": {"command": ")" + command61 + R"("}}]}})",
     Kind::Events, "", "-> Bash  " + a60 + "...\n", "\x1b[90m-> Bash  " + a60 + "...\x1b[0m\n"},
    {R"({"type": "assistant", "message": {"content": [{"type": "tool_use", "name": "Bash",
        "input": {"command": "ls", "description": ")" + command61 + R"("}}]}})",
     Kind::Events, "", "-> Bash  " + command61 + "\n", "\x1b[90m-> Bash  " + command61 + "\x1b[0m\n"},
    {R"({"type": "assistant", "message": {"content": [
        {"type": "tool_use", "name": "Read", "input": {"file_path": "a.txt"}},
        {"type": "tool_use", "name": "Edit", "input": {"file_path": 7}},
        {"type": "tool_use", "name": "Write", "input": "not an object"},
        {"type": "tool_use", "name": "Grep", "input": {"pattern": "foo", "path": 1}},
        {"type": "tool_use", "name": "Glob", "input": {"pattern": "*.rs"}},
        {"type": "tool_use", "name": "Task", "input": {"description": "explore"}},
        {"type": "tool_use", "name": "WebFetch", "input": {"url": "https://x.test"}},
        {"type": "tool_use", "name": "WebSearch", "input": {"query": "q"}},
        {"type": "tool_use", "name": "Frobnicate", "input": {"file_path": "b"}},
        {"type": "tool_use", "input": {"file_path": "c"}}]}})",
     Kind::Events, "",
     "-> Read  a.txt\n-> Edit\n-> Write\n-> Grep  foo\n-> Glob  *.rs\n-> Task  explore\n"
     "-> WebFetch  https://x.test\n-> WebSearch  q\n-> Frobnicate\n-> unknown\n",
     "\x1b[90m-> Read  a.txt\x1b[0m\n\x1b[90m-> Edit\x1b[0m\n\x1b[90m-> Write\x1b[0m\n\x1b[90m-> Grep  foo\x1b[0m\n"
     "\x1b[90m-> Glob  *.rs\x1b[0m\n\x1b[90m-> Task  explore\x1b[0m\n\x1b[90m-> WebFetch  https://x.test\x1b[0m\n"
     "\x1b[90m-> WebSearch  q\x1b[0m\n\x1b[90m-> Frobnicate\x1b[0m\n\x1b[90m-> unknown\x1b[0m\n"},
    {R"({"type": "assistant", "message": {"content": [{"type": "text", "text": ""}]}})", Kind::Ignored},
    {R"({"type": "assistant", "message": {"content": "text"}})", Kind::Ignored},
    {R"({"type": "assistant"})", Kind::Ignored},

    // gemini.
    {R"({"type": "message", "role": "assistant", "content": "hello"})", Kind::Events, "hello"},
    {R"({"type": "message", "role": "user", "content": "hello"})", Kind::Ignored},
    {R"({"type": "message", "role": "assistant", "content": ""})", Kind::Ignored},
    {R"({"type": "tool_use", "tool_name": "read_file", "parameters": {"file_path": "x.py"}})", Kind::Events, "",
     "-> read_file  x.py\n", "\x1b[90m-> read_file  x.py\x1b[0m\n"},
    {R"({"type": "tool_use", "tool_name": "run_shell_command", "parameters": {"description": ")" + command61 +
         R"(", "command": "ls"}})",
     Kind::Events, "", "-> run_shell_command  " + a60 + "...\n",
     "\x1b[90m-> run_shell_command  " + a60 + "...\x1b[0m\n"},
    {R"({"type": "tool_use", "tool_name": "run_shell_command", "parameters": {"command": "ls -la"}})", Kind::Events,
     "", "-> run_shell_command  ls -la\n", "\x1b[90m-> run_shell_command  ls -la\x1b[0m\n"},
    {R"({"type": "tool_use", "tool_name": "run_shell_command", "parameters": {"description": null, "command": "ls"}})",
     Kind::Events, "", "-> run_shell_command\n", "\x1b[90m-> run_shell_command\x1b[0m\n"},
    {R"({"type": "tool_use", "tool_name": "read_many_files"})", Kind::Events, "", "-> read_many_files  multiple files\n",
     "\x1b[90m-> read_many_files  multiple files\x1b[0m\n"},
    {R"({"type": "tool_use", "tool_name": "web_fetch", "parameters": {"url": "u"}})", Kind::Events, "",
     "-> web_fetch  u\n", "\x1b[90m-> web_fetch  u\x1b[0m\n"},
    {R"({"type": "tool_use", "tool_name": "google_web_search", "parameters": {"query": "q"}})", Kind::Events, "",
     "-> google_web_search  q\n", "\x1b[90m-> google_web_search  q\x1b[0m\n"},
    {R"({"type": "tool_use", "tool_name": "list_directory", "parameters": {"path": "."}})", Kind::Events, "",
     "-> list_directory\n", "\x1b[90m-> list_directory\x1b[0m\n"},
    {R"({"type": "tool_use", "tool_name": 5})", Kind::Ignored},

    // codex.
    {R"({"type": "item.completed", "item": {"type": "file_change", "changes": [{"path": "a"}, {"kind": "add"},
        {"path": "c"}, {"path": "d"}, {"path": "e"}]}})",
     Kind::Events, "", "-> Edit  a, c, d\n", "\x1b[90m-> Edit  a, c, d\x1b[0m\n"},
    {R"({"type": "item.completed", "item": {"type": "file_change", "changes": []}})", Kind::Events, "", "-> Edit\n",
     "\x1b[90m-> Edit\x1b[0m\n"},
    {R"({"type": "item.completed", "item": {"type": "file_change", "changes": {}}})", Kind::Ignored},
    {R"({"type": "item.completed", "item": {"type": "agent_message", "text": "done"}})", Kind::Events, "done"},
    {R"({"type": "item.completed", "item": {"type": "agent_message", "text": ""}})", Kind::Ignored},
    {R"({"type": "item.started", "item": {"type": "mcp_tool_call", "tool": "search", "server": "docs"}})",
     Kind::Events, "", "-> search  docs\n", "\x1b[90m-> search  docs\x1b[0m\n"},
    {R"({"type": "item.started", "item": {"type": "mcp_tool_call", "server": ""}})", Kind::Events, "",
     "-> unknown\n", "\x1b[90m-> unknown\x1b[0m\n"},
    {R"({"type": "item.started", "item": {"type": "command_execution", "command": ")" + command61 + R"("}})",
     Kind::Events, "", "-> Bash  " + a60 + "...\n", "\x1b[90m-> Bash  " + a60 + "...\x1b[0m\n"},
    {R"({"type": "item.completed", "item": {"type": "command_execution", "command": "ls"}})", Kind::Ignored},
    {R"({"type": "item.started", "item": {"type": "agent_message", "text": "x"}})", Kind::Ignored},
    {R"({"type": "item.started", "item": "x"})", Kind::Ignored},
    {R"({"type": "item.started", "item": {"command": "ls"}})", Kind::Ignored},
    {R"({"type": "turn.completed", "usage": {}})", Kind::Events, "", "ok\n", "\x1b[32mok\x1b[0m\n"},
    {R"({"type": "turn.failed", "error": {}})", Kind::Events, "", "failed\n", "\x1b[31mfailed\x1b[0m\n"},
};

TEST(StreamTest, EventLinesParseAndRenderPlainAndColoured) {
  for (const auto& c : cases) {
    SCOPED_TRACE(c.line);
    const ParseOutcome outcome = parse_stream_line(c.line);
    ASSERT_EQ(outcome.kind, c.kind);
    EXPECT_EQ(outcome.events.empty(), c.kind != Kind::Events);
    const Shown plain = show(outcome, false);
    const Shown color = show(outcome, true);
    EXPECT_EQ(plain.out, c.out);
    EXPECT_EQ(color.out, c.out);
    EXPECT_EQ(plain.err, c.err);
    EXPECT_EQ(color.err, c.err_color);
  }
}

TEST(StreamTest, TruncateDetailCutsAtACharacterBoundary) {
  const std::string e_acute = "\xC3\xA9", smile = "\xF0\x9F\x98\x80";
  struct {
    std::string in, out;
  } cases[] = {
      {"", ""},
      {a60, a60},
      {command61, a60 + "..."},
      {std::string(59, 'a') + e_acute, std::string(59, 'a') + "..."},    // byte 60 is inside the é
      {std::string(60, 'a') + e_acute, a60 + "..."},                     // é starts at byte 60
      {std::string(58, 'a') + smile, std::string(58, 'a') + "..."},       // emoji over bytes 58..61
      {std::string(20, '\0') + std::string(30, 'x') + e_acute + e_acute + e_acute + e_acute + e_acute,
       std::string(20, '\0') + std::string(30, 'x') + e_acute + e_acute + e_acute + e_acute + e_acute},
      {std::string(61, '\x80'), "..."},  // only continuation bytes: still no failure
  };
  for (const auto& c : cases) EXPECT_EQ(truncate_detail(c.in), c.out) << c.in;
}

TEST(StreamTest, DeeplyNestedLineDoesNotExhaustTheStack) {
  const size_t depth = 100000;
  const std::string line = R"({"type": "assistant", "message": )" + std::string(depth, '[') + std::string(depth, ']') + "}";
  EXPECT_EQ(parse_stream_line(line).kind, Kind::Ignored);
  EXPECT_EQ(parse_stream_line("{\"a\": " + std::string(depth, '[')).kind, Kind::Unrecognized);
}

}  // namespace
}  // namespace varnel::stream
