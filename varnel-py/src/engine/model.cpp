#include "bind/bind.hpp"
#include "engine/registry.hpp"
#include "varnel/engine/model.hpp"

namespace varnel::py {
namespace {

std::pair<std::string, std::optional<std::string>> py_parse_model(std::string model) {
  ModelSpec spec = parse_model(model);
  return {std::move(spec.backend), std::move(spec.variant)};
}

}  // namespace

bool add_parse_model_function(PyObject* engine) {
  return bind::add_function<py_parse_model>(engine, "py_parse_model", bind::Text{"model"});
}

}  // namespace varnel::py
