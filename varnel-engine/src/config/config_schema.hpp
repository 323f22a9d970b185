#pragma once
// Turning a generic YAML value into a Config, field by field, with the defaults.

#include <expected>
#include <string>

#include "config/yaml.hpp"
#include "varnel/engine/config.hpp"

namespace varnel {

// Null gives every default; a mapping converts key by key (unknown keys are ignored);
// anything else, a value of the wrong type, a missing required field or a number that is
// not a non-negative integer where one is expected is an error, e.g.
// "context: invalid type: string \".\", expected a sequence".
std::expected<Config, std::string> config_from_yaml(const yaml::Value& value);

}  // namespace varnel
