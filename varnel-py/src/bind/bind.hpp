#pragma once
// The binding kit: everything a wrapper file needs to put C++ operations into the
// Python module.
//
// A function: write a wrapper that takes the converted values and returns a C++
// value, nothing, or an expected whose error has display(); then register it with
// one parameter kind per argument. The text signature, the argument binding and its
// TypeErrors, and the result conversion follow from the kinds and the return type.
//
//   std::expected<bool, GitError> sync_main(std::string repo, std::string main_branch) {
//     return git_sync_main(repo, main_branch);
//   }
//   ...
//   bind::add_function<sync_main>(git, "py_git_sync_main",
//                                 bind::Text{"repo"}, bind::DefaultedText{"main_branch", "main"});
//   // -> py_git_sync_main(repo, main_branch="main"); an error raises RuntimeError(display()).
//
// Kinds and the values they give: Text -> std::string; OptionalText -> optional<string>;
// DefaultedText{name, default} -> std::string; Flag{name, default} -> bool;
// TextList -> optional<vector<string>>. Results: string -> str, bool -> bool, integers
// -> int, optional -> value or None, vector<string> -> list, pair/tuple -> tuple,
// void -> None, a record (an aggregate with a result class; see is_record) -> a new
// instance.
// A wrapper's own refusals return std::unexpected(bind::Failure{"text"}).
//
// A result class: a plain record struct, then once at module set-up
//
//   bind::ResultClass<LandResult>("PyLandResult")
//       .property<&LandResult::merged_commit>("merged_commit")
//       .property<&LandResult::branch_deleted>("branch_deleted")
//       .add_to(engine);
//
// and wrappers simply return a LandResult. `method<fn>("name")` adds a method taking
// no arguments, with `fn(const R&)` returning a value or an expected.
//
// All registration calls return false with a Python exception set on failure; member
// order in __all__ is the order of registration.

#include "bind/errors.hpp"
#include "bind/function.hpp"
#include "bind/module.hpp"
#include "bind/params.hpp"
#include "bind/ref.hpp"
#include "bind/result_class.hpp"
#include "bind/values.hpp"
