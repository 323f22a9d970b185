#include "config/yaml.hpp"

#include <yaml-cpp/depthguard.h>
#include <yaml-cpp/eventhandler.h>
#include <yaml-cpp/exceptions.h>
#include <yaml-cpp/mark.h>
#include <yaml-cpp/parser.h>

#include <fmt/format.h>

#include <istream>
#include <new>
#include <optional>
#include <streambuf>
#include <unordered_set>
#include <utility>

namespace varnel::yaml {
namespace {

constexpr std::string_view kStringTag = "tag:yaml.org,2002:str";

bool all_of(std::string_view s, bool (*pred)(char)) {
  if (s.empty()) return false;
  for (char c : s) {
    if (!pred(c)) return false;
  }
  return true;
}
bool is_digit(char c) { return c >= '0' && c <= '9'; }
bool is_octal(char c) { return c >= '0' && c <= '7'; }
bool is_hex(char c) { return is_digit(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F'); }

std::string_view without_sign(std::string_view s) {
  return !s.empty() && (s[0] == '-' || s[0] == '+') ? s.substr(1) : s;
}

bool is_core_int(std::string_view s) {
  if (s.starts_with("0o")) return all_of(s.substr(2), is_octal);
  if (s.starts_with("0x")) return all_of(s.substr(2), is_hex);
  return all_of(without_sign(s), is_digit);
}

// [-+]? ( \.[0-9]+ | [0-9]+ ( \.[0-9]* )? ) ( [eE] [-+]? [0-9]+ )?, and the infinities
// and not-a-numbers.
bool is_core_float(std::string_view s) {
  if (s == ".nan" || s == ".NaN" || s == ".NAN") return true;
  const std::string_view u = without_sign(s);
  if (u == ".inf" || u == ".Inf" || u == ".INF") return true;
  size_t i = 0;
  auto digits = [&] {
    const size_t start = i;
    while (i < u.size() && is_digit(u[i])) ++i;
    return i - start;
  };
  const size_t whole = digits();
  if (i < u.size() && u[i] == '.') {
    ++i;
    if (digits() == 0 && whole == 0) return false;
  } else if (whole == 0) {
    return false;
  }
  if (i < u.size() && (u[i] == 'e' || u[i] == 'E')) {
    ++i;
    if (i < u.size() && (u[i] == '-' || u[i] == '+')) ++i;
    if (digits() == 0) return false;
  }
  return i == u.size();
}

Type resolve_plain(std::string_view s) {
  if (s.empty() || s == "~" || s == "null" || s == "Null" || s == "NULL") return Type::Null;
  if (s == "true" || s == "True" || s == "TRUE" || s == "false" || s == "False" || s == "FALSE") {
    return Type::Bool;
  }
  if (is_core_int(s)) return Type::Int;
  if (is_core_float(s)) return Type::Float;
  return Type::String;
}

struct Failure {
  std::string message;
};

std::string at(const YAML::Mark& mark, std::string_view what) {
  return fmt::format("error at line {}, column {}: {}", mark.line + 1, mark.column + 1, what);
}

// Builds the value from the parser's events without recursion, so that only the
// parser's own (guarded) recursion depends on the nesting of the text.
class Builder final : public YAML::EventHandler {
 public:
  explicit Builder(size_t node_budget) : budget_(node_budget) {}

  Value take() { return root_ ? std::move(*root_) : Value{}; }

  void OnDocumentStart(const YAML::Mark&) override {}
  void OnDocumentEnd() override {}

  void OnNull(const YAML::Mark& mark, YAML::anchor_t anchor) override {
    count(mark, 1);
    finish(Value{}, anchor, 1, mark);
  }

  void OnAlias(const YAML::Mark& mark, YAML::anchor_t anchor) override {
    if (anchor >= anchors_.size() || !anchors_[anchor]) throw Failure{at(mark, "recursive alias")};
    const auto& [value, nodes] = *anchors_[anchor];
    count(mark, nodes);
    finish(Value(value), YAML::NullAnchor, nodes, mark);
  }

  void OnScalar(const YAML::Mark& mark, const std::string& tag, YAML::anchor_t anchor,
                const std::string& text) override {
    count(mark, 1);
    const bool verbatim = tag == "!" || tag == kStringTag;
    finish(Value{verbatim ? Type::String : resolve_plain(text), text, {}}, anchor, 1, mark);
  }

  void OnSequenceStart(const YAML::Mark& mark, const std::string&, YAML::anchor_t anchor,
                       YAML::EmitterStyle::value) override {
    open(mark, Type::Sequence, anchor);
  }
  void OnSequenceEnd() override { close(); }

  void OnMapStart(const YAML::Mark& mark, const std::string&, YAML::anchor_t anchor,
                  YAML::EmitterStyle::value) override {
    open(mark, Type::Mapping, anchor);
  }
  void OnMapEnd() override { close(); }

 private:
  struct Open {
    Value value;
    YAML::anchor_t anchor;
    size_t first_node;
    YAML::Mark mark;
    std::unordered_set<std::string> keys;
  };

  void count(const YAML::Mark& mark, size_t nodes) {
    nodes_ += nodes;
    if (nodes_ > budget_) throw Failure{at(mark, "aliases expand far beyond the size of the document")};
  }

  void open(const YAML::Mark& mark, Type type, YAML::anchor_t anchor) {
    count(mark, 1);
    if (anchor != YAML::NullAnchor) anchors_.resize(std::max(anchors_.size(), anchor + 1));
    open_.push_back(Open{Value{type, {}, {}}, anchor, nodes_, mark, {}});
  }

  void close() {
    Open top = std::move(open_.back());
    open_.pop_back();
    finish(std::move(top.value), top.anchor, nodes_ - top.first_node + 1, top.mark);
  }

  void finish(Value value, YAML::anchor_t anchor, size_t nodes, const YAML::Mark& mark) {
    if (anchor != YAML::NullAnchor) {
      if (anchor >= anchors_.size()) anchors_.resize(anchor + 1);
      count(mark, nodes);  // the copy kept for aliases costs as much as the value
      anchors_[anchor].emplace(value, nodes);
    }
    if (open_.empty()) {
      if (root_) throw Failure{at(mark, "more than one document in the stream")};
      root_ = std::move(value);
      return;
    }
    Open& parent = open_.back();
    const bool is_key = parent.value.type == Type::Mapping && parent.value.children.size() % 2 == 0;
    if (is_key && value.is_scalar()) {
      if (!parent.keys.insert(scalar_identity(value)).second) {
        throw Failure{at(mark, fmt::format("duplicate mapping key {}", describe(value)))};
      }
    }
    parent.value.children.push_back(std::move(value));
  }

  size_t budget_;
  size_t nodes_ = 0;
  std::vector<Open> open_;
  std::vector<std::optional<std::pair<Value, size_t>>> anchors_;
  std::optional<Value> root_;
};

// Reads a string without copying it into a stream.
class ViewBuffer final : public std::streambuf {
 public:
  explicit ViewBuffer(std::string_view text) {
    char* begin = const_cast<char*>(text.data());
    setg(begin, begin, begin + text.size());
  }
};

std::string without_library_prefix(std::string message) {
  constexpr std::string_view prefix = "yaml-cpp: ";
  if (message.starts_with(prefix)) message.erase(0, prefix.size());
  return message;
}

}  // namespace

const Value* Value::find(std::string_view name) const {
  if (type != Type::Mapping) return nullptr;
  for (size_t i = 0; i < size(); ++i) {
    if (key(i).type == Type::String && key(i).scalar == name) return &value(i);
  }
  return nullptr;
}

std::string scalar_identity(const Value& scalar) {
  std::string identity(1, static_cast<char>('0' + static_cast<int>(scalar.type)));
  if (scalar.type != Type::Null) identity += scalar.scalar;
  return identity;
}

std::string_view describe(Type type) {
  switch (type) {
    case Type::Null: return "null";
    case Type::Bool: return "a boolean";
    case Type::Int: return "an integer";
    case Type::Float: return "a floating point number";
    case Type::String: return "a string";
    case Type::Sequence: return "a sequence";
    case Type::Mapping: return "a mapping";
  }
  return "a value";
}

std::string describe(const Value& value) {
  constexpr size_t kShown = 60;
  std::string_view text = value.scalar;
  std::string_view more;
  if (text.size() > kShown) {
    size_t cut = kShown;
    while (cut > 0 && (static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80) --cut;
    text = text.substr(0, cut);
    more = "...";
  }
  switch (value.type) {
    case Type::Null: return "null";
    case Type::Bool: return fmt::format("boolean `{}`", text);
    case Type::Int: return fmt::format("integer `{}`", text);
    case Type::Float: return fmt::format("floating point `{}`", text);
    case Type::String: return fmt::format("string \"{}{}\"", text, more);
    case Type::Sequence: return "sequence";
    case Type::Mapping: return "map";
  }
  return "value";
}

std::expected<Value, std::string> parse(std::string_view text) {
  // A text of n bytes holds fewer than n nodes; the slack covers tiny documents.
  Builder builder(2 * text.size() + 1024);
  try {
    ViewBuffer buffer(text);
    std::istream in(&buffer);
    YAML::Parser parser(in);
    while (parser.HandleNextDocument(builder)) {
    }
  } catch (const Failure& failure) {
    return std::unexpected(failure.message);
  } catch (const YAML::DeepRecursion& e) {
    return std::unexpected(at(e.mark, "nesting too deep"));
  } catch (const YAML::Exception& e) {
    return std::unexpected(without_library_prefix(e.what()));
  } catch (const std::bad_alloc&) {
    return std::unexpected(std::string("out of memory"));
  } catch (const std::exception& e) {
    return std::unexpected(without_library_prefix(e.what()));
  }
  return builder.take();
}

}  // namespace varnel::yaml
