#include "varnel/engine/model.hpp"

namespace varnel {

ModelSpec parse_model(std::string_view spec) {
  const size_t colon = spec.find(':');
  if (colon != std::string_view::npos) {
    return {std::string(spec.substr(0, colon)), std::string(spec.substr(colon + 1))};
  }
  ModelSpec result{std::string(spec), std::nullopt};
  if (spec == "claude") result.variant = "opus";
  if (spec == "gemini") result.variant = "2.5-pro";
  return result;
}

}  // namespace varnel
