#include "engine/registry.hpp"

namespace varnel::py {

// Registers run_step; it arrives with the step runner.
// Nothing is registered here yet.
bool add_run_step_function(PyObject* /*engine*/) { return true; }

}  // namespace varnel::py
