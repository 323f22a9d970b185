#include "bind/bind.hpp"
#include "engine/registry.hpp"
#include "varnel/engine/tokens.hpp"

namespace varnel::py {
namespace {

uint64_t py_count_tokens(std::string text) { return count_tokens(text); }

}  // namespace

bool add_count_tokens_function(PyObject* engine) {
  return bind::add_function<py_count_tokens>(engine, "py_count_tokens", bind::Text{"text"});
}

}  // namespace varnel::py
