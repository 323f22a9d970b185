#pragma once
// Module objects and their members.

#include "bind/python.hpp"
#include "bind/ref.hpp"

namespace varnel::bind {

// Creates a module object from `def` (which must outlive it). It is not entered in
// sys.modules: submodules are reachable as attributes only. __doc__ is def.m_doc, or
// None without one.
Ref new_module(PyModuleDef& def);

// Appends `name` to the module's __all__ (created empty on the first addition), then
// sets the attribute, so __all__ lists members in registration order. Returns false
// with an exception set on failure, including when `value` is null.
bool add_member(PyObject* module, const char* name, Ref value);

}  // namespace varnel::bind
