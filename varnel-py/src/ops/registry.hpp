#pragma once
// The members of `ops`: its classes, then its functions, in the order users see in
// __all__. A file that is not filled in yet registers nothing.

#include "bind/python.hpp"
#include "bind/ref.hpp"

namespace varnel::py {

bool add_ops_result_classes(PyObject* ops);  // results.cpp

// py_commit_workflow, py_create_or_update_pr, py_land, py_next_branch,
// py_rebase_with_recovery, py_abandon_branch, in this order.
bool add_ops_functions(PyObject* ops);  // workflows.cpp

// The `ops` submodule, or null with an exception set.
bind::Ref build_ops_module();

}  // namespace varnel::py
