#pragma once
// The parameter kinds of the module's functions. Each kind names its parameter,
// knows its default, and converts the bound Python object (null when omitted) into
// the C++ value handed to the wrapper. On failure a converter returns false with a
// Python exception set; the caller prefixes TypeErrors with the parameter name.

#include "bind/python.hpp"

#include <optional>
#include <string>
#include <vector>

namespace varnel::bind {

// A required str (subclasses accepted), taken as UTF-8.
struct Text {
  using value_type = std::string;
  const char* name;

  static constexpr bool has_default = false;
  bool convert(PyObject* object, std::string& out) const;
  std::string signature() const;
};

// A str, or None / omitted for absent.
struct OptionalText {
  using value_type = std::optional<std::string>;
  const char* name;

  static constexpr bool has_default = true;
  bool convert(PyObject* object, std::optional<std::string>& out) const;
  std::string signature() const;
};

// A str with a default used when omitted; an explicit None is refused like any non-str.
struct DefaultedText {
  using value_type = std::string;
  const char* name;
  const char* fallback;

  static constexpr bool has_default = true;
  bool convert(PyObject* object, std::string& out) const;
  std::string signature() const;
};

// A bool (or a NumPy boolean scalar, through its truth value); nothing else, not even 1.
struct Flag {
  using value_type = bool;
  const char* name;
  bool fallback;

  static constexpr bool has_default = true;
  bool convert(PyObject* object, bool& out) const;
  std::string signature() const;
};

// A sequence of str (a list, a tuple), or None / omitted for absent. A str itself is
// refused rather than split into characters.
struct TextList {
  using value_type = std::optional<std::vector<std::string>>;
  const char* name;

  static constexpr bool has_default = true;
  bool convert(PyObject* object, std::optional<std::vector<std::string>>& out) const;
  std::string signature() const;
};

// Copies a str's UTF-8 text into `out`; TypeError for a non-str.
bool extract_text(PyObject* object, std::string& out);

}  // namespace varnel::bind
