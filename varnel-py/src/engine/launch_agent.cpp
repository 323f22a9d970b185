#include "engine/registry.hpp"

namespace varnel::py {

// Registers py_launch_agent; it arrives with the agent runner.
// Nothing is registered here yet.
bool add_launch_agent_function(PyObject* /*engine*/) { return true; }

}  // namespace varnel::py
