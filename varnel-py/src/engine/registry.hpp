#pragma once
// The members of `engine` and `engine.git`, one hook per wrapper file. The builder
// calls them in the order users see in __all__; a file that is not filled in yet
// registers nothing.

#include "bind/python.hpp"
#include "bind/ref.hpp"

namespace varnel::py {

// Classes of `engine`, in order.
bool add_launch_result_class(PyObject* engine);      // results.cpp
bool add_prompt_components_class(PyObject* engine);  // prompt_components.cpp
bool add_git_result_classes(PyObject* engine);       // results.cpp: rebase, branch info, land

// Functions of `engine`, in order.
bool add_count_tokens_function(PyObject* engine);    // tokens.cpp
bool add_parse_model_function(PyObject* engine);     // model.cpp
bool add_gather_context_function(PyObject* engine);  // gather_context.cpp
bool add_launch_agent_function(PyObject* engine);    // launch_agent.cpp
bool add_run_step_function(PyObject* engine);        // run_step.cpp

// The 19 functions of `engine.git`, in their order.
bool add_git_functions(PyObject* git);  // git_functions.cpp

// The `engine` submodule with `git` inside it, or null with an exception set.
bind::Ref build_engine_module();

}  // namespace varnel::py
