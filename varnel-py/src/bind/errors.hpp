#pragma once
// Turning failures into Python exceptions. This is the only place where C++
// exceptions are caught wholesale: none may unwind into the interpreter.

#include "bind/python.hpp"

#include <concepts>
#include <exception>
#include <new>
#include <string>
#include <string_view>

namespace varnel::bind {

// Any error value with a display text; it reaches Python as RuntimeError(display()).
template <class E>
concept Displayable = requires(const E& e) {
  { e.display() } -> std::convertible_to<std::string>;
};

// A failure found by a wrapper itself, e.g. an argument value it does not accept.
struct Failure {
  std::string text;
  std::string display() const { return text; }
};

// Raises RuntimeError whose only argument is `text` (invalid UTF-8 becomes U+FFFD).
void raise_runtime_error(std::string_view text);

template <Displayable E>
void raise_error(const E& error) {
  raise_runtime_error(error.display());
}

// Raises the Python exception for a C++ exception caught at the boundary.
void raise_internal_fault(const char* where, const std::exception* fault);

// Runs `body` (returning a new reference or null with an exception set) so that any
// C++ exception becomes a Python exception raised from this call.
template <class Body>
PyObject* guarded(const char* where, Body&& body) noexcept {
  try {
    return body();
  } catch (const std::exception& fault) {
    raise_internal_fault(where, &fault);
  } catch (...) {
    raise_internal_fault(where, nullptr);
  }
  return nullptr;
}

}  // namespace varnel::bind
