#include "engine/registry.hpp"

namespace varnel::py {

// Registers the 19 py_git_* functions, in their order; they arrive with the git layer.
// Nothing is registered here yet.
bool add_git_functions(PyObject* /*git*/) { return true; }

}  // namespace varnel::py
