#pragma once
// Read-only result classes: each wraps one C++ record type R, exposes chosen fields
// (or computed values) as read-only properties and optional no-argument methods, and
// cannot be constructed, changed or subclassed from Python.

#include "bind/errors.hpp"
#include "bind/instance.hpp"
#include "bind/python.hpp"
#include "bind/values.hpp"

#include <deque>
#include <functional>
#include <string>
#include <vector>

namespace varnel::bind {
namespace detail {

// Kept for the life of the process: the type object points into it.
struct ClassState {
  std::string full_name;  // "builtins.<Name>"
  std::string name;
  std::deque<std::string> texts;  // names and docs; a deque never moves its elements
  std::vector<std::string> properties;
  std::vector<PyGetSetDef> getset;
  std::vector<PyMethodDef> methods;
};

template <class R>
inline ClassState* state_of = nullptr;

PyObject* no_constructor(PyTypeObject*, PyObject*, PyObject*);
int refuse_setattr(PyObject* self, PyObject* name, const ClassState& state);
PyObject* refuse_subclass(const ClassState& state);
// Creates the type from `state` and adds it to `module`; sets `type` on success.
bool create_class(PyObject* module, ClassState& state, PyType_Slot* slots, int basicsize, PyTypeObject*& type);

template <class R>
void dealloc(PyObject* self) {
  PyTypeObject* type = Py_TYPE(self);
  reinterpret_cast<Instance<R>*>(self)->record.~R();
  type->tp_free(self);
  Py_DECREF(type);  // instances of heap types own a reference to their type
}

template <class R>
int setattr(PyObject* self, PyObject* name, PyObject* /*value*/) {
  return refuse_setattr(self, name, *state_of<R>);
}

template <class R>
PyObject* init_subclass(PyObject* /*cls*/, PyObject* /*args*/, PyObject* /*kwargs*/) {
  return refuse_subclass(*state_of<R>);
}

template <class R, auto Field>
PyObject* get(PyObject* self, void* closure) {
  const char* name = static_cast<const char*>(closure);
  return guarded(name, [&]() -> PyObject* {
    const R* record = record_of<R>(self, name);
    return record ? to_python(std::invoke(Field, *record)) : nullptr;
  });
}

template <class R, auto Fn>
inline const char* method_name = nullptr;

template <class R, auto Fn>
PyObject* call_method(PyObject* self, PyObject* /*unused*/) {
  const char* name = method_name<R, Fn>;
  return guarded(name, [&]() -> PyObject* {
    const R* record = record_of<R>(self, name);
    return record ? call_and_convert(Fn, *record) : nullptr;
  });
}

}  // namespace detail

template <class R>
class ResultClass {
 public:
  // `name` is the bare class name, e.g. "PyLaunchResult".
  explicit ResultClass(const char* name) : state_(new detail::ClassState) {
    state_->name = name;
    state_->full_name = std::string("builtins.") + name;
  }

  // A read-only property: `Field` is a data member pointer of R, or a function taking
  // `const R&`; its value is converted anew on every read.
  template <auto Field>
  ResultClass& property(const char* name) {
    const char* stored = state_->texts.emplace_back(name).c_str();
    state_->properties.emplace_back(name);
    state_->getset.push_back({stored, &detail::get<R, Field>, nullptr, nullptr, const_cast<char*>(stored)});
    return *this;
  }

  // A method without arguments: `Fn` takes `const R&` and returns a value, or an
  // expected whose error is displayable.
  template <auto Fn>
  ResultClass& method(const char* name) {
    const char* stored = state_->texts.emplace_back(name).c_str();
    const char* doc = state_->texts.emplace_back(std::string(name) + "($self)\n--\n\n").c_str();
    detail::method_name<R, Fn> = stored;
    state_->methods.push_back({stored, &detail::call_method<R, Fn>, METH_NOARGS, doc});
    return *this;
  }

  // Creates the class and adds it to `module`. Once per record type and process.
  bool add_to(PyObject* module) {
    if (class_of<R>) {
      PyErr_Format(PyExc_SystemError, "class %s created twice", state_->name.c_str());
      return false;
    }
    detail::state_of<R> = state_;
    state_->methods.push_back({"__init_subclass__",
                               reinterpret_cast<PyCFunction>(reinterpret_cast<void (*)()>(&detail::init_subclass<R>)),
                               METH_VARARGS | METH_KEYWORDS | METH_CLASS, nullptr});
    state_->methods.push_back({nullptr, nullptr, 0, nullptr});
    state_->getset.push_back({nullptr, nullptr, nullptr, nullptr, nullptr});
    PyType_Slot slots[] = {  // copied by PyType_FromSpec
        {Py_tp_new, reinterpret_cast<void*>(&detail::no_constructor)},
        {Py_tp_dealloc, reinterpret_cast<void*>(&detail::dealloc<R>)},
        {Py_tp_setattro, reinterpret_cast<void*>(&detail::setattr<R>)},
        {Py_tp_getset, state_->getset.data()},
        {Py_tp_methods, state_->methods.data()},
        {0, nullptr},
    };
    return detail::create_class(module, *state_, slots, sizeof(Instance<R>), class_of<R>);
  }

 private:
  detail::ClassState* state_;
};

}  // namespace varnel::bind
