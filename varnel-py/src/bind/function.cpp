#include "bind/function.hpp"

#include "bind/module.hpp"
#include "bind/ref.hpp"

namespace varnel::bind::detail {

FunctionState* make_function_state(const char* name, const std::vector<ParamInfo>& params) {
  auto* state = new FunctionState;
  state->name = name;
  std::string signature;
  bool defaults = false;
  for (const ParamInfo& param : params) {
    if (param.has_default && !defaults) {
      state->format += '|';
      defaults = true;
    } else if (!param.has_default && defaults) {
      PyErr_Format(PyExc_SystemError, "%s: parameter '%s' without a default follows one with a default", name,
                   param.name);
      delete state;
      return nullptr;
    }
    state->format += 'O';
    state->keywords.push_back(const_cast<char*>(param.name));
    if (!signature.empty()) signature += ", ";
    signature += param.signature;
  }
  state->keywords.push_back(nullptr);
  // The name after ':' is what the interpreter's call errors name ("f() missing ...").
  state->format += ':';
  state->format += name;
  state->doc = state->name + "(" + signature + ")\n--\n\n";
  return state;
}

bool register_function(PyObject* module, FunctionState& state, PyCFunctionWithKeywords call) {
  state.def.ml_name = state.name.c_str();
  state.def.ml_meth = reinterpret_cast<PyCFunction>(reinterpret_cast<void (*)()>(call));
  state.def.ml_flags = METH_VARARGS | METH_KEYWORDS;
  state.def.ml_doc = state.doc.c_str();
  Ref module_name = Ref::steal(PyObject_GetAttrString(module, "__name__"));
  if (!module_name) return false;
  return add_member(module, state.def.ml_name, Ref::steal(PyCFunction_NewEx(&state.def, module, module_name.get())));
}

void prefix_argument_error(const char* name) {
  if (!PyErr_ExceptionMatches(PyExc_TypeError)) return;
  PyObject* type = nullptr;
  PyObject* value = nullptr;
  PyObject* traceback = nullptr;
  PyErr_Fetch(&type, &value, &traceback);
  PyErr_NormalizeException(&type, &value, &traceback);
  Ref owned_type = Ref::steal(type);
  Ref cause = Ref::steal(value);
  Ref owned_traceback = Ref::steal(traceback);
  if (owned_traceback) PyException_SetTraceback(cause.get(), owned_traceback.get());

  Ref text = Ref::steal(PyObject_Str(cause.get()));
  Ref message = text ? Ref::steal(PyUnicode_FromFormat("argument '%s': %U", name, text.get())) : Ref();
  Ref error = message ? Ref::steal(PyObject_CallFunctionObjArgs(PyExc_TypeError, message.get(), nullptr)) : Ref();
  if (!error) return;  // the failure to build the message is the exception now
  PyException_SetCause(error.get(), cause.release());
  PyErr_SetObject(PyExc_TypeError, error.get());
}

}  // namespace varnel::bind::detail
