#pragma once
// The one reader of YAML text in the engine: a document becomes a generic, ordered value
// with its plain scalars resolved by the YAML 1.2 core schema. No yaml-cpp type or
// exception leaves this unit.

#include <cstddef>
#include <expected>
#include <string>
#include <string_view>
#include <vector>

namespace varnel::yaml {

enum class Type { Null, Bool, Int, Float, String, Sequence, Mapping };

struct Value {
  Type type = Type::Null;
  // The scalar's text: the string itself, or the source text of a bool, int or float.
  std::string scalar;
  // A sequence's items, or a mapping's keys and values alternating, in document order.
  std::vector<Value> children;

  bool is_scalar() const { return type != Type::Sequence && type != Type::Mapping; }
  // The value of a Bool: its text is one of the core schema's spellings.
  bool truth() const { return type == Type::Bool && (scalar[0] == 't' || scalar[0] == 'T'); }
  size_t size() const { return type == Type::Mapping ? children.size() / 2 : children.size(); }
  const Value& key(size_t i) const { return children[2 * i]; }
  const Value& value(size_t i) const { return children[2 * i + 1]; }

  // The value of the mapping entry whose key is the string `name`, or null when absent.
  const Value* find(std::string_view name) const;

  bool operator==(const Value&) const = default;
};

// Equal for two scalars iff they are the same mapping key: same resolved type and text
// (every spelling of null is one key).
std::string scalar_identity(const Value& scalar);

// The type as a reader names it in messages: "a string", "a sequence", ...
std::string_view describe(Type type);

// A short description of `value` for messages: `invalid type: string "x", expected ...`.
std::string describe(const Value& value);

// Parses `text` as at most one YAML document; an empty stream, or one holding only
// comments, is null. Tags are looked through, except that a `!!str` tag keeps its
// scalar a string. Aliases are expanded. Errors carry the parser's message: invalid
// syntax, a second document, duplicate mapping keys, nesting deeper than the parser
// allows, or aliases that would expand far beyond the size of the text.
std::expected<Value, std::string> parse(std::string_view text);

}  // namespace varnel::yaml
