// The module entry: builds `engine` (with `git` inside it), then `ops`.
#define PY_SSIZE_T_CLEAN
#include <Python.h>

namespace {

PyModuleDef varnel_def = {PyModuleDef_HEAD_INIT, "varnel", nullptr, -1, nullptr, nullptr, nullptr, nullptr, nullptr};
PyModuleDef engine_def = {PyModuleDef_HEAD_INIT, "engine", nullptr, -1, nullptr, nullptr, nullptr, nullptr, nullptr};
PyModuleDef git_def = {PyModuleDef_HEAD_INIT, "git", nullptr, -1, nullptr, nullptr, nullptr, nullptr, nullptr};
PyModuleDef ops_def = {PyModuleDef_HEAD_INIT, "ops", nullptr, -1, nullptr, nullptr, nullptr, nullptr, nullptr};

// Appends `name` to the module's __all__ (created on first use), then sets the attribute.
// Steals `value`.
bool add_member(PyObject* module, const char* name, PyObject* value) {
  if (!value) return false;
  PyObject* all = PyObject_GetAttrString(module, "__all__");
  if (!all) {
    PyErr_Clear();
    all = PyList_New(0);
    if (!all || PyObject_SetAttrString(module, "__all__", all) < 0) {
      Py_XDECREF(all);
      Py_DECREF(value);
      return false;
    }
  }
  PyObject* text = PyUnicode_FromString(name);
  const bool ok = text && PyList_Append(all, text) == 0 && PyObject_SetAttrString(module, name, value) == 0;
  Py_XDECREF(text);
  Py_DECREF(all);
  Py_DECREF(value);
  return ok;
}

PyObject* the_module = nullptr;

}  // namespace

extern "C" __attribute__((visibility("default"))) PyObject* PyInit_varnel() {
  if (the_module) {
    Py_INCREF(the_module);
    return the_module;
  }
  PyObject* top = PyModule_Create(&varnel_def);
  if (!top) return nullptr;
  PyObject* engine = PyModule_Create(&engine_def);
  PyObject* git = PyModule_Create(&git_def);
  const bool ok = engine && git && add_member(engine, "git", git) && add_member(top, "engine", engine) &&
                  add_member(top, "ops", PyModule_Create(&ops_def));
  if (!ok) {
    Py_DECREF(top);
    return nullptr;
  }
  the_module = top;
  Py_INCREF(the_module);
  return top;
}
