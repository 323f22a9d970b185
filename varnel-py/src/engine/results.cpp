#include "engine/results.hpp"

#include "bind/bind.hpp"
#include "engine/registry.hpp"

namespace varnel::py {

using namespace engine;

bool add_launch_result_class(PyObject* module) {
  return bind::ResultClass<LaunchResult>("PyLaunchResult")
      .property<&LaunchResult::exit_code>("exit_code")
      .property<&LaunchResult::stdout_text>("stdout")
      .property<&LaunchResult::stderr_text>("stderr")
      .add_to(module);
}

bool add_git_result_classes(PyObject* module) {
  return bind::ResultClass<RebaseResult>("PyRebaseResult")
             .property<&RebaseResult::success>("success")
             .property<&RebaseResult::conflicts>("conflicts")
             .property<&RebaseResult::new_head>("new_head")
             .add_to(module) &&
         bind::ResultClass<BranchInfo>("PyBranchInfo")
             .property<&BranchInfo::old_branch>("old_branch")
             .property<&BranchInfo::old_head>("old_head")
             .property<&BranchInfo::new_branch>("new_branch")
             .add_to(module) &&
         bind::ResultClass<LandResult>("PyLandResult")
             .property<&LandResult::merged_commit>("merged_commit")
             .property<&LandResult::branch_deleted>("branch_deleted")
             .add_to(module);
}

}  // namespace varnel::py
