#include "bind/bind.hpp"
#include "engine/launch_result.hpp"
#include "engine/registry.hpp"
#include "varnel/engine/agent.hpp"

namespace varnel::py {
namespace {

std::expected<engine::LaunchResult, EngineError> py_launch_agent(std::string model, std::string prompt, bool auto_,
                                                                 bool stream, bool skip_permissions,
                                                                 std::optional<std::string> model_variant,
                                                                 bool chrome, std::optional<std::string> cwd) {
  AgentLaunchOptions options;
  options.model_variant = std::move(model_variant);
  if (cwd) options.cwd = std::move(*cwd);
  options.auto_ = auto_;
  options.stream = stream;
  options.skip_permissions = skip_permissions;
  options.chrome = chrome;
  options.event_rendering = EventRendering::Raw;
  auto output = launch_agent(model, prompt, options);
  if (!output) return std::unexpected(std::move(output.error()));
  return launch_result(std::move(*output));
}

}  // namespace

bool add_launch_agent_function(PyObject* engine) {
  return bind::add_function<py_launch_agent>(
      engine, "py_launch_agent", bind::Text{"model"}, bind::Text{"prompt"}, bind::Flag{"auto", true},
      bind::Flag{"stream", false}, bind::Flag{"skip_permissions", false}, bind::OptionalText{"model_variant"},
      bind::Flag{"chrome", false}, bind::OptionalText{"cwd"});
}

}  // namespace varnel::py
