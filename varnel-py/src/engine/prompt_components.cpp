#include "bind/bind.hpp"
#include "engine/registry.hpp"
#include "varnel/engine/prompt.hpp"

namespace varnel::py {
namespace {

std::string format(const PromptComponents& components) { return components.format(); }
uint64_t token_count(const PromptComponents& components) { return components.token_count(); }

}  // namespace

bool add_prompt_components_class(PyObject* engine) {
  return bind::ResultClass<PromptComponents>("PyPromptComponents")
      .property<&PromptComponents::run_mode>("run_mode")
      .property<&PromptComponents::repo_root>("repo_root")
      .property<&PromptComponents::clipboard>("clipboard")
      .property<&PromptComponents::wave>("wave")
      .method<token_count>("token_count")
      .method<format>("format")
      .add_to(engine);
}

}  // namespace varnel::py
