#pragma once
// An owned reference to a Python object.

#include "bind/python.hpp"

#include <utility>

namespace varnel::bind {

// Holds one strong reference and releases it on destruction, so no path through a
// function leaks or double-frees. Move-only: ownership changes hands explicitly.
class Ref {
 public:
  Ref() noexcept = default;
  ~Ref() { Py_XDECREF(object_); }

  Ref(Ref&& other) noexcept : object_(std::exchange(other.object_, nullptr)) {}
  Ref& operator=(Ref&& other) noexcept {
    if (this != &other) {
      Py_XDECREF(object_);
      object_ = std::exchange(other.object_, nullptr);
    }
    return *this;
  }
  Ref(const Ref&) = delete;
  Ref& operator=(const Ref&) = delete;

  // Takes over a new reference (as returned by most C API calls); null stays null.
  static Ref steal(PyObject* object) noexcept { return Ref(object); }
  // Adds a reference to a borrowed object.
  static Ref borrow(PyObject* object) noexcept {
    Py_XINCREF(object);
    return Ref(object);
  }

  PyObject* get() const noexcept { return object_; }
  // Gives the reference to the caller, who now owns it.
  PyObject* release() noexcept { return std::exchange(object_, nullptr); }
  explicit operator bool() const noexcept { return object_ != nullptr; }

 private:
  explicit Ref(PyObject* object) noexcept : object_(object) {}
  PyObject* object_ = nullptr;
};

}  // namespace varnel::bind
