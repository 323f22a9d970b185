#pragma once
// Model specifications: "backend" or "backend:variant".

#include <optional>
#include <string>
#include <string_view>

namespace varnel {

struct ModelSpec {
  std::string backend;
  std::optional<std::string> variant;
};

// Splits `spec` at the first ':' (no trimming, no case change). Without a colon the
// variant defaults to "opus" for "claude", "2.5-pro" for "gemini", and none otherwise.
ModelSpec parse_model(std::string_view spec);

}  // namespace varnel
