#include "engine/registry.hpp"

namespace varnel::py {

// Registers py_gather_context; it arrives with context gathering.
// Nothing is registered here yet.
bool add_gather_context_function(PyObject* /*engine*/) { return true; }

}  // namespace varnel::py
