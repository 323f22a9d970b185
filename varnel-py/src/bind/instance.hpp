#pragma once
// Instances of the result classes: a Python object holding one C++ record by value.

#include "bind/python.hpp"

#include <new>
#include <type_traits>
#include <utility>

namespace varnel::bind {

template <class R>
struct Instance {
  PyObject_HEAD
  R record;
};

// The class made for record type R; set once when the class is created.
template <class R>
inline PyTypeObject* class_of = nullptr;

// Returns a new instance of R's class holding `record`, or null with an exception set.
template <class R>
PyObject* make_instance(R record) {
  static_assert(std::is_nothrow_move_constructible_v<R>);
  PyTypeObject* type = class_of<R>;
  if (!type) {
    PyErr_SetString(PyExc_SystemError, "result class used before it was created");
    return nullptr;
  }
  PyObject* self = type->tp_alloc(type, 0);
  if (!self) return nullptr;
  new (&reinterpret_cast<Instance<R>*>(self)->record) R(std::move(record));
  return self;
}

// The record inside `self`, or null with TypeError when `self` is not an instance of
// R's class (a descriptor of one class applied to another class's instance).
const void* record_or_type_error(PyObject* self, PyTypeObject* type, const char* member);

template <class R>
const R* record_of(PyObject* self, const char* member) {
  if (!record_or_type_error(self, class_of<R>, member)) return nullptr;
  return &reinterpret_cast<Instance<R>*>(self)->record;
}

}  // namespace varnel::bind
