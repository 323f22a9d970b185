#include <filesystem>
#include <system_error>

#include "bind/bind.hpp"
#include "engine/launch_result.hpp"
#include "engine/registry.hpp"
#include "varnel/engine/agent.hpp"
#include "varnel/engine/config.hpp"
#include "varnel/engine/gather.hpp"

namespace varnel::py {
namespace {

// The step runner: configuration, gathering, rendering and one agent run, in that order.
// Of the configuration it reads only agent_model, area, vndocs, diff_files, diff, yolo
// and chrome; directions and clipboard come from the call alone.
std::expected<engine::LaunchResult, EngineError> run_step(std::string step, std::optional<std::string> repo_root,
                                                          std::optional<std::vector<std::string>> directions,
                                                          bool auto_, bool clipboard,
                                                          std::optional<std::string> model) {
  std::filesystem::path root;
  if (repo_root) {
    root = std::move(*repo_root);
  } else {
    std::error_code ignored;  // an unknown current directory leaves the root empty
    root = std::filesystem::current_path(ignored);
  }
  const Config config = load_config_or_default(root);

  ContextRequest request;
  request.repo_root = root;
  request.step = std::move(step);
  request.directions = directions ? std::move(*directions) : std::vector<std::string>{};
  if (auto_) request.run_mode = "auto";
  request.area = config.area;
  request.vndocs = config.vndocs;
  request.diff_files = config.diff_files;
  request.diff = config.diff;
  request.clipboard = clipboard;
  auto components = gather_context(request);
  if (!components) return std::unexpected(std::move(components.error()));
  const std::string prompt = components->format();

  AgentLaunchOptions options;
  if (!root.empty()) options.cwd = root;
  options.auto_ = auto_;
  options.stream = false;
  options.skip_permissions = config.yolo;
  options.chrome = config.chrome;
  options.event_rendering = EventRendering::Raw;
  auto output = launch_agent(model ? *model : config.agent_model, prompt, options);
  if (!output) return std::unexpected(std::move(output.error()));
  return launch_result(std::move(*output));
}

}  // namespace

bool add_run_step_function(PyObject* engine) {
  return bind::add_function<run_step>(engine, "run_step", bind::Text{"step"}, bind::OptionalText{"repo_root"},
                                      bind::TextList{"directions"}, bind::Flag{"auto", true},
                                      bind::Flag{"clipboard", false}, bind::OptionalText{"model"});
}

}  // namespace varnel::py
