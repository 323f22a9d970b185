#include "bind/bind.hpp"
#include "engine/registry.hpp"
#include "varnel/engine/gather.hpp"

namespace varnel::py {
namespace {

// No configuration is read here: every value comes from the call or its defaults.
std::expected<PromptComponents, EngineError> py_gather_context(
    std::string repo_root, std::optional<std::string> step, std::optional<std::vector<std::string>> directions,
    std::optional<std::string> run_mode, bool vndocs, bool diff_files, bool diff, bool clipboard,
    std::optional<std::string> area, std::optional<std::string> wave) {
  ContextRequest request;
  request.repo_root = std::move(repo_root);
  request.step = std::move(step);
  request.directions = std::move(directions).value_or(std::vector<std::string>{});
  request.run_mode = std::move(run_mode);
  request.vndocs = vndocs;
  request.diff_files = diff_files;
  request.diff = diff;
  request.clipboard = clipboard;
  request.area = std::move(area);
  request.wave = std::move(wave);
  return gather_context(request);
}

}  // namespace

bool add_gather_context_function(PyObject* engine) {
  return bind::add_function<py_gather_context>(
      engine, "py_gather_context", bind::Text{"repo_root"}, bind::OptionalText{"step"}, bind::TextList{"directions"},
      bind::OptionalText{"run_mode"}, bind::Flag{"vndocs", true}, bind::Flag{"diff_files", true},
      bind::Flag{"diff", false}, bind::Flag{"clipboard", false}, bind::OptionalText{"area"},
      bind::OptionalText{"wave"});
}

}  // namespace varnel::py
