#include "bind/module.hpp"
#include "engine/registry.hpp"

namespace varnel::py {
namespace {

PyModuleDef engine_def = {PyModuleDef_HEAD_INIT, "engine", nullptr, -1, nullptr, nullptr, nullptr, nullptr, nullptr};
PyModuleDef git_def = {PyModuleDef_HEAD_INIT, "git", nullptr, -1, nullptr, nullptr, nullptr, nullptr, nullptr};

using AddMembers = bool (*)(PyObject*);

constexpr AddMembers engine_members[] = {
    add_launch_result_class,   add_prompt_components_class, add_git_result_classes,
    add_count_tokens_function, add_parse_model_function,    add_gather_context_function,
    add_launch_agent_function, add_run_step_function,
};

}  // namespace

bind::Ref build_engine_module() {
  bind::Ref engine = bind::new_module(engine_def);
  if (!engine) return {};
  for (AddMembers add : engine_members) {
    if (!add(engine.get())) return {};
  }
  // `git` comes last, after its own functions.
  bind::Ref git = bind::new_module(git_def);
  if (!git || !add_git_functions(git.get()) || !bind::add_member(engine.get(), "git", std::move(git))) return {};
  return engine;
}

}  // namespace varnel::py
