#include "bind/module.hpp"

namespace varnel::bind {

Ref new_module(PyModuleDef& def) {
  Ref module = Ref::steal(PyModule_Create(&def));
  // PyPy leaves __doc__ unset (so the module type's own doc shows through); set it
  // the same way on both interpreters: the given text, or None.
  Ref doc = def.m_doc ? Ref::steal(PyUnicode_FromString(def.m_doc)) : Ref::borrow(Py_None);
  if (!module || !doc || PyObject_SetAttrString(module.get(), "__doc__", doc.get()) < 0) return {};
  return module;
}

bool add_member(PyObject* module, const char* name, Ref value) {
  if (!value) return false;
  Ref all = Ref::steal(PyObject_GetAttrString(module, "__all__"));
  if (!all) {
    if (!PyErr_ExceptionMatches(PyExc_AttributeError)) return false;
    PyErr_Clear();
    all = Ref::steal(PyList_New(0));
    if (!all || PyObject_SetAttrString(module, "__all__", all.get()) < 0) return false;
  }
  Ref key = Ref::steal(PyUnicode_FromString(name));
  return key && PyList_Append(all.get(), key.get()) == 0 && PyObject_SetAttr(module, key.get(), value.get()) == 0;
}

}  // namespace varnel::bind
