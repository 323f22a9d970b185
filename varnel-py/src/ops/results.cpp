#include "ops/results.hpp"

#include "bind/bind.hpp"
#include "ops/registry.hpp"

namespace varnel::py {

using namespace ops;

bool add_ops_result_classes(PyObject* module) {
  return bind::ResultClass<PrResult>("PyPrResult")
             .property<&PrResult::url>("url")
             .property<&PrResult::created>("created")
             .property<&PrResult::updated>("updated")
             .add_to(module) &&
         bind::ResultClass<LandResult>("PyLandResult").property<&LandResult::merged>("merged").add_to(module) &&
         bind::ResultClass<NextResult>("PyNextResult").property<&NextResult::new_branch>("new_branch").add_to(module) &&
         bind::ResultClass<RebaseResult>("PyRebaseResult").property<&RebaseResult::success>("success").add_to(module);
}

}  // namespace varnel::py
