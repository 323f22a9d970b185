#include "bind/module.hpp"
#include "ops/registry.hpp"

namespace varnel::py {
namespace {

PyModuleDef ops_def = {PyModuleDef_HEAD_INIT, "ops", nullptr, -1, nullptr, nullptr, nullptr, nullptr, nullptr};

}  // namespace

bind::Ref build_ops_module() {
  bind::Ref ops = bind::new_module(ops_def);
  if (!ops || !add_ops_result_classes(ops.get()) || !add_ops_functions(ops.get())) return {};
  return ops;
}

}  // namespace varnel::py
