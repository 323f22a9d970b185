#include "bind/params.hpp"

#include "bind/ref.hpp"

#include <cstring>

namespace varnel::bind {
namespace {

bool refuse(PyObject* object, const char* target) {
  PyErr_Format(PyExc_TypeError, "'%.200s' object cannot be converted to '%s'", Py_TYPE(object)->tp_name, target);
  return false;
}

// NumPy's boolean scalar, recognised by its type name so that NumPy need not be
// loaded; the type is "numpy.bool_" in NumPy 1 and "numpy.bool" in NumPy 2.
bool is_numpy_bool(PyObject* object) {
  const char* name = Py_TYPE(object)->tp_name;
  return std::strcmp(name, "numpy.bool_") == 0 || std::strcmp(name, "numpy.bool") == 0;
}

}  // namespace

bool extract_text(PyObject* object, std::string& out) {
  if (!PyUnicode_Check(object)) return refuse(object, "str");
  Py_ssize_t size = 0;
  const char* data = PyUnicode_AsUTF8AndSize(object, &size);
  if (!data) return false;
  out.assign(data, static_cast<size_t>(size));
  return true;
}

bool Text::convert(PyObject* object, std::string& out) const { return extract_text(object, out); }

std::string Text::signature() const { return name; }

bool OptionalText::convert(PyObject* object, std::optional<std::string>& out) const {
  if (!object || object == Py_None) {
    out.reset();
    return true;
  }
  return extract_text(object, out.emplace());
}

std::string OptionalText::signature() const { return std::string(name) + "=None"; }

bool DefaultedText::convert(PyObject* object, std::string& out) const {
  if (!object) {
    out = fallback;
    return true;
  }
  return extract_text(object, out);
}

std::string DefaultedText::signature() const { return std::string(name) + "=\"" + fallback + "\""; }

bool Flag::convert(PyObject* object, bool& out) const {
  if (!object) {
    out = fallback;
    return true;
  }
  if (PyBool_Check(object)) {
    out = object == Py_True;
    return true;
  }
  if (is_numpy_bool(object)) {
    const int truth = PyObject_IsTrue(object);
    if (truth < 0) return false;
    out = truth != 0;
    return true;
  }
  return refuse(object, "bool");
}

std::string Flag::signature() const { return std::string(name) + (fallback ? "=True" : "=False"); }

bool TextList::convert(PyObject* object, std::optional<std::vector<std::string>>& out) const {
  if (!object || object == Py_None) {
    out.reset();
    return true;
  }
  if (PyUnicode_Check(object)) {
    PyErr_SetString(PyExc_TypeError, "Can't extract `str` to `Vec`");
    return false;
  }
  if (!PySequence_Check(object)) return refuse(object, "Sequence");
  const Py_ssize_t size = PySequence_Size(object);
  if (size < 0) return false;
  auto& items = out.emplace();
  items.reserve(static_cast<size_t>(size));
  for (Py_ssize_t i = 0; i < size; ++i) {
    Ref item = Ref::steal(PySequence_GetItem(object, i));
    if (!item || !extract_text(item.get(), items.emplace_back())) return false;
  }
  return true;
}

std::string TextList::signature() const { return std::string(name) + "=None"; }

}  // namespace varnel::bind
