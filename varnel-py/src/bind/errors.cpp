#include "bind/errors.hpp"

#include "bind/ref.hpp"

namespace varnel::bind {

void raise_runtime_error(std::string_view text) {
  Ref message = Ref::steal(PyUnicode_DecodeUTF8(text.data(), static_cast<Py_ssize_t>(text.size()), "replace"));
  if (message) PyErr_SetObject(PyExc_RuntimeError, message.get());
}

void raise_internal_fault(const char* where, const std::exception* fault) {
  if (dynamic_cast<const std::bad_alloc*>(fault)) {
    PyErr_NoMemory();
    return;
  }
  // A fault here is a bug of ours, not a failed operation: SystemError keeps it apart
  // from the RuntimeErrors that report what an operation could not do.
  PyErr_Format(PyExc_SystemError, "internal error in %s: %s", where, fault ? fault->what() : "unknown exception");
}

}  // namespace varnel::bind
