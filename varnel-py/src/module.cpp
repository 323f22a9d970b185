// The module entry: builds `engine` (with `git` inside it), then `ops`.
#include "bind/errors.hpp"
#include "bind/module.hpp"
#include "engine/registry.hpp"
#include "ops/registry.hpp"

namespace {

PyModuleDef varnel_def = {PyModuleDef_HEAD_INIT, "varnel", "", -1, nullptr, nullptr, nullptr, nullptr, nullptr};

// Made once per process; a second initialisation hands out the same object.
PyObject* the_module = nullptr;

PyObject* build() {
  using namespace varnel;
  bind::Ref top = bind::new_module(varnel_def);
  if (!top || !bind::add_member(top.get(), "engine", py::build_engine_module()) ||
      !bind::add_member(top.get(), "ops", py::build_ops_module())) {
    return nullptr;
  }
  the_module = bind::Ref::borrow(top.get()).release();
  return top.release();
}

}  // namespace

extern "C" __attribute__((visibility("default"))) PyObject* PyInit_varnel() {
  if (the_module) return varnel::bind::Ref::borrow(the_module).release();
  return varnel::bind::guarded("PyInit_varnel", build);
}
