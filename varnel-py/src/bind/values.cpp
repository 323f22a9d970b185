#include "bind/values.hpp"

namespace varnel::bind {

PyObject* text(std::string_view utf8) {
  return PyUnicode_DecodeUTF8(utf8.data(), static_cast<Py_ssize_t>(utf8.size()), "replace");
}

PyObject* text_list(const std::vector<std::string>& texts) {
  Ref list = Ref::steal(PyList_New(static_cast<Py_ssize_t>(texts.size())));
  if (!list) return nullptr;
  for (size_t i = 0; i < texts.size(); ++i) {
    PyObject* item = text(texts[i]);
    if (!item) return nullptr;
    PyList_SET_ITEM(list.get(), static_cast<Py_ssize_t>(i), item);
  }
  return list.release();
}

PyObject* none() { Py_RETURN_NONE; }

PyObject* boolean(bool value) {
  if (value) Py_RETURN_TRUE;
  Py_RETURN_FALSE;
}

const void* record_or_type_error(PyObject* self, PyTypeObject* type, const char* member) {
  if (type && Py_TYPE(self) == type) return self;
  PyErr_Format(PyExc_TypeError, "descriptor '%s' for '%s' objects doesn't apply to a '%.200s' object", member,
               type ? type->tp_name : "?", Py_TYPE(self)->tp_name);
  return nullptr;
}

}  // namespace varnel::bind
