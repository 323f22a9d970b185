// _varnel_probe: a test-only module, never part of the installed surface. It carries
// its own copy of `engine` and `ops` plus functions that make result instances from
// plain arguments and use every parameter kind, so the binding kit can be tested from
// Python before the operations that return those values exist.
#include "bind/bind.hpp"
#include "engine/registry.hpp"
#include "engine/results.hpp"
#include "ops/registry.hpp"
#include "ops/results.hpp"

#include <charconv>
#include <stdexcept>

namespace varnel::py {
namespace {

std::expected<int32_t, bind::Failure> parse_int(const std::string& text) {
  int32_t value = 0;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (ec != std::errc() || end != text.data() + text.size()) return std::unexpected(bind::Failure{"not an int32"});
  return value;
}

std::expected<engine::LaunchResult, bind::Failure> launch_result(std::string exit_code, std::string out,
                                                                 std::string err) {
  auto code = parse_int(exit_code);
  if (!code) return std::unexpected(code.error());
  return engine::LaunchResult{*code, std::move(out), std::move(err)};
}

engine::RebaseResult rebase_result(bool success, std::optional<std::vector<std::string>> conflicts,
                                   std::optional<std::string> new_head) {
  return {success, std::move(conflicts), std::move(new_head)};
}

engine::BranchInfo branch_info(std::string old_branch, std::string old_head, std::string new_branch) {
  return {std::move(old_branch), std::move(old_head), std::move(new_branch)};
}

engine::LandResult land_result(std::string merged_commit, bool branch_deleted) {
  return {std::move(merged_commit), branch_deleted};
}

ops::PrResult pr_result(std::string url, bool created, bool updated) { return {std::move(url), created, updated}; }
ops::LandResult ops_land_result(bool merged) { return {merged}; }
ops::NextResult next_result(std::string new_branch) { return {std::move(new_branch)}; }
ops::RebaseResult ops_rebase_result(bool success) { return {success}; }

// Every kind at once; returns what each converted to.
std::tuple<std::string, std::optional<std::string>, std::string, bool, std::optional<std::vector<std::string>>> kinds(
    std::string text, std::optional<std::string> optional_text, std::string defaulted, bool flag,
    std::optional<std::vector<std::string>> texts) {
  return {std::move(text), std::move(optional_text), std::move(defaulted), flag, std::move(texts)};
}

std::expected<void, bind::Failure> fail(std::string text) { return std::unexpected(bind::Failure{std::move(text)}); }

// Throws what `kind` names, to show that no C++ exception reaches the interpreter.
bool fault(std::string kind) {
  if (kind == "runtime_error") throw std::runtime_error("broken invariant");
  if (kind == "bad_alloc") throw std::bad_alloc();
  if (kind == "int") throw 42;
  return true;
}

// Counts the records alive, to show that dropping an instance frees its record.
int64_t live_records = 0;
struct Tracker {
  Tracker() noexcept { ++live_records; }
  Tracker(const Tracker&) noexcept { ++live_records; }
  Tracker(Tracker&&) noexcept { ++live_records; }
  Tracker& operator=(const Tracker&) = default;
  Tracker& operator=(Tracker&&) = default;
  ~Tracker() { --live_records; }
};

int64_t live_notes() { return live_records; }

// A class with methods and a computed property, as PyPromptComponents has.
struct Note {
  std::string text;
  Tracker tracker;
};

std::string note_upper(const Note& note) {
  std::string out = note.text;
  for (char& c : out) c = static_cast<char>(c >= 'a' && c <= 'z' ? c - 32 : c);
  return out;
}

std::expected<uint64_t, bind::Failure> note_length(const Note& note) {
  if (note.text.empty()) return std::unexpected(bind::Failure{"empty note"});
  return note.text.size();
}

std::optional<std::string> note_first_word(const Note& note) {
  const size_t space = note.text.find(' ');
  if (space == std::string::npos) return std::nullopt;
  return note.text.substr(0, space);
}

Note note(std::string text) { return {std::move(text), {}}; }

bool add_probe_members(PyObject* m) {
  using bind::Flag, bind::OptionalText, bind::Text, bind::TextList, bind::DefaultedText;
  return bind::add_member(m, "engine", build_engine_module()) && bind::add_member(m, "ops", build_ops_module()) &&
         bind::ResultClass<Note>("Note")
             .property<&Note::text>("text")
             .property<&note_first_word>("first_word")
             .method<&note_upper>("upper")
             .method<&note_length>("length")
             .add_to(m) &&
         bind::add_function<launch_result>(m, "launch_result", Text{"exit_code"}, Text{"stdout"}, Text{"stderr"}) &&
         bind::add_function<rebase_result>(m, "rebase_result", Flag{"success", false}, TextList{"conflicts"},
                                           OptionalText{"new_head"}) &&
         bind::add_function<branch_info>(m, "branch_info", Text{"old_branch"}, Text{"old_head"},
                                         Text{"new_branch"}) &&
         bind::add_function<land_result>(m, "land_result", Text{"merged_commit"}, Flag{"branch_deleted", false}) &&
         bind::add_function<pr_result>(m, "pr_result", Text{"url"}, Flag{"created", false},
                                       Flag{"updated", false}) &&
         bind::add_function<ops_land_result>(m, "ops_land_result", Flag{"merged", false}) &&
         bind::add_function<next_result>(m, "next_result", Text{"new_branch"}) &&
         bind::add_function<ops_rebase_result>(m, "ops_rebase_result", Flag{"success", false}) &&
         bind::add_function<note>(m, "note", Text{"text"}) && bind::add_function<live_notes>(m, "live_notes") &&
         bind::add_function<kinds>(m, "kinds", Text{"text"}, OptionalText{"optional_text"},
                                   DefaultedText{"defaulted", "main"}, Flag{"flag", true}, TextList{"texts"}) &&
         bind::add_function<fail>(m, "fail", Text{"text"}) && bind::add_function<fault>(m, "fault", Text{"kind"});
}

PyModuleDef probe_def = {PyModuleDef_HEAD_INIT, "_varnel_probe", nullptr, -1, nullptr, nullptr, nullptr, nullptr, nullptr};

}  // namespace
}  // namespace varnel::py

extern "C" __attribute__((visibility("default"))) PyObject* PyInit__varnel_probe() {
  return varnel::bind::guarded("PyInit__varnel_probe", []() -> PyObject* {
    varnel::bind::Ref module = varnel::bind::new_module(varnel::py::probe_def);
    if (!module || !varnel::py::add_probe_members(module.get())) return nullptr;
    return module.release();
  });
}
