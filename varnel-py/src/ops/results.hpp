#pragma once
// The records behind the workflows' result classes. `PyLandResult` and
// `PyRebaseResult` exist in `engine` too, as different classes over different records.

#include <string>

namespace varnel::py::ops {

// PyPrResult: a pull request created or brought up to date.
struct PrResult {
  std::string url;
  bool created = false;
  bool updated = false;
};

// PyLandResult: the land workflow's outcome.
struct LandResult {
  bool merged = false;
};

// PyNextResult: the branch the next-branch workflow started.
struct NextResult {
  std::string new_branch;
};

// PyRebaseResult: the outcome of a rebase with recovery.
struct RebaseResult {
  bool success = false;
};

}  // namespace varnel::py::ops
