#include "engine/registry.hpp"

namespace varnel::py {

// Registers PyPromptComponents, the gathered prompt before rendering; it arrives with context gathering.
// Nothing is registered here yet.
bool add_prompt_components_class(PyObject* /*engine*/) { return true; }

}  // namespace varnel::py
