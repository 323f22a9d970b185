#pragma once
// Module functions: bind the call's arguments to named parameters, convert them by
// kind, call a plain C++ wrapper, convert its result.

#include "bind/errors.hpp"
#include "bind/params.hpp"
#include "bind/python.hpp"
#include "bind/values.hpp"

#include <array>
#include <cstddef>
#include <string>
#include <tuple>
#include <type_traits>
#include <utility>
#include <vector>

namespace varnel::bind {
namespace detail {

struct ParamInfo {
  const char* name;
  std::string signature;
  bool has_default;
};

// What a registered function needs at call time. Made once per function and kept for
// the life of the process, like the function object that points into it.
struct FunctionState {
  std::string name;
  std::string format;  // for PyArg_ParseTupleAndKeywords: "O" per parameter, "|" before defaults
  std::vector<char*> keywords;
  std::string doc;  // the text signature only: "name(a, b=None)\n--\n\n"
  PyMethodDef def{};
};

// Returns the state for `name` and its parameters, or null with SystemError when a
// parameter without a default follows one with a default.
FunctionState* make_function_state(const char* name, const std::vector<ParamInfo>& params);

// Creates the built-in function bound to `module` and adds it as a member.
bool register_function(PyObject* module, FunctionState& state, PyCFunctionWithKeywords call);

// Re-raises a pending TypeError as TypeError("argument '<name>': <text>") caused by it;
// leaves any other exception as it is.
void prefix_argument_error(const char* name);

template <auto Fn, class... Params>
struct Binding {
  static inline const std::tuple<Params...>* params = nullptr;
  static inline FunctionState* state = nullptr;

  static PyObject* call(PyObject* /*module*/, PyObject* args, PyObject* kwargs) {
    return guarded(state->name.c_str(),
                   [&] { return call_with(args, kwargs, std::index_sequence_for<Params...>{}); });
  }

  template <std::size_t... I>
  static PyObject* call_with(PyObject* args, PyObject* kwargs, std::index_sequence<I...>) {
    std::array<PyObject*, sizeof...(Params) + 1> bound{};  // borrowed; null when omitted
    if (!PyArg_ParseTupleAndKeywords(args, kwargs, state->format.c_str(), state->keywords.data(), &bound[I]...)) {
      return nullptr;
    }
    std::tuple<typename Params::value_type...> values;
    if (!(convert<I>(bound[I], std::get<I>(values)) && ...)) return nullptr;
    return call_and_convert(Fn, std::move(std::get<I>(values))...);
  }

  template <std::size_t I, class Value>
  static bool convert(PyObject* object, Value& out) {
    const auto& param = std::get<I>(*params);
    if (param.convert(object, out)) return true;
    prefix_argument_error(param.name);
    return false;
  }
};

}  // namespace detail

// Adds the function `name` to `module`, calling `Fn` with one converted value per
// parameter kind, in order. Each wrapper function is registered once.
template <auto Fn, class... Params>
bool add_function(PyObject* module, const char* name, Params... params) {
  static_assert(std::is_invocable_v<decltype(Fn), typename Params::value_type&&...>,
                "the wrapper's parameters must take the values of the parameter kinds, in order");
  using B = detail::Binding<Fn, Params...>;
  if (B::state) {
    PyErr_Format(PyExc_SystemError, "wrapper of %s registered twice", name);
    return false;
  }
  detail::FunctionState* state =
      detail::make_function_state(name, {detail::ParamInfo{params.name, params.signature(), Params::has_default}...});
  if (!state) return false;
  B::params = new std::tuple<Params...>(params...);
  B::state = state;
  return detail::register_function(module, *state, &B::call);
}

}  // namespace varnel::bind
