#include "bind/result_class.hpp"

#include "bind/module.hpp"
#include "bind/ref.hpp"

#include <algorithm>

namespace varnel::bind::detail {

PyObject* no_constructor(PyTypeObject*, PyObject*, PyObject*) {
  PyErr_SetString(PyExc_TypeError, "No constructor defined");
  return nullptr;
}

// Every assignment and deletion is refused: the interpreter would otherwise give
// instances a __dict__ on PyPy, where the absence of a dict slot is not enforced.
int refuse_setattr(PyObject* /*self*/, PyObject* name, const ClassState& state) {
  if (!PyUnicode_Check(name)) {
    PyErr_Format(PyExc_TypeError, "attribute name must be string, not '%.200s'", Py_TYPE(name)->tp_name);
    return -1;
  }
  const char* text = PyUnicode_AsUTF8(name);
  if (!text) return -1;
  if (std::ranges::find(state.properties, text) != state.properties.end()) {
    PyErr_Format(PyExc_AttributeError, "attribute '%U' of '%s' objects is not writable", name, state.name.c_str());
  } else {
    PyErr_Format(PyExc_AttributeError, "'%s' object has no attribute '%U'", state.name.c_str(), name);
  }
  return -1;
}

// PyPy lets classes without Py_TPFLAGS_BASETYPE be subclassed; this hook refuses at
// class creation there, with the text CPython uses when it refuses by itself.
PyObject* refuse_subclass(const ClassState& state) {
  PyErr_Format(PyExc_TypeError, "type '%s' is not an acceptable base type", state.full_name.c_str());
  return nullptr;
}

bool create_class(PyObject* module, ClassState& state, PyType_Slot* slots, int basicsize, PyTypeObject*& type) {
  PyType_Spec spec{state.full_name.c_str(), basicsize, 0, Py_TPFLAGS_DEFAULT, slots};
  Ref made = Ref::steal(PyType_FromSpec(&spec));
  if (!made) return false;
  // The process keeps one reference of its own: instances may outlive the module.
  type = reinterpret_cast<PyTypeObject*>(Ref::borrow(made.get()).release());
  return add_member(module, state.name.c_str(), std::move(made));
}

}  // namespace varnel::bind::detail
