#include "varnel/engine/gather.hpp"

#include <chrono>
#include <utility>

#include "prompt/gather/documents.hpp"
#include "varnel/engine/catalogue.hpp"
#include "varnel/engine/changes.hpp"
#include "varnel/engine/clipboard.hpp"
#include "varnel/engine/log.hpp"
#include "varnel/engine/text.hpp"

namespace varnel {
namespace {

constexpr std::string_view kTarget = "varnel_engine::prompt";

class Clock {
 public:
  uint64_t elapsed_ms() const {
    const auto d = std::chrono::steady_clock::now() - start_;
    return static_cast<uint64_t>(std::chrono::duration_cast<std::chrono::milliseconds>(d).count());
  }

 private:
  std::chrono::steady_clock::time_point start_ = std::chrono::steady_clock::now();
};

// One debug event with the phase's elapsed time first; nothing is built without a sink.
template <typename... Fields>
void report(std::string_view message, const Clock& clock, Fields&&... fields) {
  if (!log::enabled(log::Level::Debug)) return;
  log::emit({kTarget, log::Level::Debug, message,
             {log::Field{"elapsed_ms", clock.elapsed_ms()}, std::forward<Fields>(fields)...}});
}

log::Field count_field(size_t n) { return {"count", static_cast<uint64_t>(n)}; }

// A step that is found nowhere keeps its own error; every other loading error is an
// execution failure that shows the loading error's text.
EngineError from_load_error(const LoadError& error) {
  if (error.kind == LoadError::Kind::StepNotFound) return EngineError::step_not_found(error.message);
  return EngineError::execution_failed(error.display());
}

}  // namespace

std::expected<PromptComponents, EngineError> gather_context(const ContextRequest& request) {
  const Clock overall;
  const std::filesystem::path& root = request.repo_root;
  PromptComponents out;

  {
    const Clock clock;
    if (request.step) {
      auto step = load_step(*request.step, root);
      if (!step) return std::unexpected(from_load_error(step.error()));
      out.step = std::move(*step);
    }
    report("loaded step", clock);
  }

  {
    const Clock clock;
    const std::vector<std::string> none;
    for (const auto* names : {out.step ? &out.step->directions : &none, &request.directions}) {
      for (const std::string& name : *names) {
        auto direction = load_direction(name, root);
        if (!direction) return std::unexpected(from_load_error(direction.error()));
        out.directions.push_back(std::move(*direction));
      }
    }
    report("loaded directions", clock, count_field(out.directions.size()));
  }

  {
    const Clock clock;
    if (request.vndocs) {
      std::error_code ec;
      if (const auto scratch = root / "scratch"; std::filesystem::is_directory(scratch, ec)) {
        if (auto done = prompt::add_scratch_docs(scratch, out.docs); !done) return std::unexpected(done.error());
      }
      if (request.wave) {
        if (auto done = prompt::add_roadmap_docs(root, *request.wave, out.docs); !done) {
          return std::unexpected(done.error());
        }
      }
      if (auto done = prompt::add_root_docs(root, out.docs); !done) return std::unexpected(done.error());
    }
    report("gathered docs", clock, count_field(out.docs.size()));
  }

  {
    const Clock clock;
    if (request.diff_files || request.diff) {
      auto changes = collect_diff(root);
      if (!changes) return std::unexpected(changes.error());
      out.diff = std::move(changes->diff);
      out.diff_tier = changes->diff_tier;
      out.changed_files = changes->changed_files;
    }
    report("gathered diff", clock, log::Field{"diff_tier", std::string(diff_tier_name(out.diff_tier))},
           log::Field{"has_diff", out.diff.has_value()});
  }

  {
    const Clock clock;
    out.files = collect_reference_files(root, request.files);
    report("gathered explicit files", clock, count_field(out.files.size()));
  }

  {
    const Clock clock;
    if (request.clipboard) out.clipboard = read_clipboard();
    report("read clipboard", clock, log::Field{"has_clipboard", out.clipboard.has_value()});
  }

  out.product_guide = std::string(product_guide());

  {
    const Clock clock;
    if (request.area) out.area_docs = prompt::area_docs(root, *request.area);
    report("gathered area docs", clock, count_field(out.area_docs.size()));
  }

  report("gathered context", overall);

  out.repo_root = lossy_utf8(root.native());
  out.run_mode = request.run_mode;
  out.wave = request.wave;
  out.message = request.message;
  out.area = request.area;
  return out;
}

}  // namespace varnel
