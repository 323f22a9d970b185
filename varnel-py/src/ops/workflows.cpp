#include "ops/registry.hpp"

namespace varnel::py {

// Registers the six workflow functions, in their order; they arrive with the
// workflows. Nothing is registered here yet.
bool add_ops_functions(PyObject* /*ops*/) { return true; }

}  // namespace varnel::py
