// engine.git: thin wrappers over the git layer, one operation each.
#include "bind/bind.hpp"
#include "engine/registry.hpp"
#include "engine/results.hpp"
#include "varnel/engine/git.hpp"
#include "varnel/engine/land.hpp"
#include "varnel/engine/worktrees.hpp"

namespace varnel::py {
namespace {

using bind::DefaultedText;
using bind::Flag;
using bind::OptionalText;
using bind::Text;

GitResult<engine::RebaseResult> py_git_rebase(std::string worktree, std::string onto,
                                              std::optional<std::string> base_commit) {
  auto outcome = base_commit ? git_rebase(worktree, onto, *base_commit) : git_rebase(worktree, onto);
  if (!outcome) return std::unexpected(std::move(outcome.error()));
  return engine::RebaseResult{outcome->success, std::move(outcome->conflicts), std::move(outcome->new_head)};
}

GitResult<void> py_git_push(std::string worktree, bool force_with_lease) {
  return git_push(worktree, force_with_lease);
}

GitResult<void> py_git_push_with_upstream(std::string worktree, std::string remote, std::string branch) {
  return git_push_with_upstream(worktree, remote, branch);
}

GitResult<engine::BranchInfo> py_git_create_branch(std::string worktree, std::string name) {
  auto info = git_create_branch(worktree, name);
  if (!info) return std::unexpected(std::move(info.error()));
  return engine::BranchInfo{std::move(info->old_branch), std::move(info->old_head), std::move(info->new_branch)};
}

std::expected<engine::LandResult, bind::Failure> py_git_land(std::string worktree, std::string strategy,
                                                             std::string main_branch) {
  bool merge_commit;
  if (strategy == "squash" || strategy == "squash_merge") {
    merge_commit = false;
  } else if (strategy == "local" || strategy == "local_merge") {
    merge_commit = true;
  } else {
    return std::unexpected(bind::Failure{"Invalid land strategy"});
  }
  auto outcome = git_land(worktree, merge_commit, main_branch);
  if (!outcome) return std::unexpected(bind::Failure{outcome.error().display()});
  return engine::LandResult{std::move(outcome->merged_commit), outcome->branch_deleted};
}

GitResult<std::string> py_git_get_default_branch(std::string repo) { return git_get_default_branch(repo); }

GitResult<bool> py_git_is_clean(std::string repo) { return git_is_clean(repo); }

GitResult<void> py_git_stage_all(std::string repo) { return git_stage_all(repo); }

GitResult<void> py_git_commit(std::string repo, std::string message) { return git_commit(repo, message); }

GitResult<void> py_git_delete_remote_branch(std::string repo, std::string remote, std::string branch) {
  return git_delete_remote_branch(repo, remote, branch);
}

GitResult<void> py_git_delete_local_branch(std::string repo, std::string branch) {
  return git_delete_local_branch(repo, branch);
}

GitResult<bool> py_git_pr_exists(std::string repo) { return git_pr_exists(repo); }

GitResult<std::string> py_git_pr_create_draft(std::string repo) { return git_pr_create_draft(repo); }

GitResult<void> py_git_pr_merge_squash_auto(std::string repo) { return git_pr_merge_squash_auto(repo); }

GitResult<bool> py_git_sync_main(std::string repo, std::string main_branch) {
  return git_sync_main(repo, main_branch);
}

GitResult<void> py_git_worktree_remove(std::string repo, std::string path) { return git_worktree_remove(repo, path); }

GitResult<void> py_git_worktree_move(std::string repo, std::string old_path, std::string new_path) {
  return git_worktree_move(repo, old_path, new_path);
}

GitResult<void> py_git_worktree_add(std::string repo, std::string path, std::string branch, std::string start_point) {
  return git_worktree_add(repo, path, branch, start_point);
}

GitResult<std::string> py_git_rev_parse(std::string repo, std::string refspec) { return git_rev_parse(repo, refspec); }

}  // namespace

bool add_git_functions(PyObject* git) {
  using bind::add_function;
  return add_function<py_git_rebase>(git, "py_git_rebase", Text{"worktree"}, Text{"onto"},
                                     OptionalText{"base_commit"}) &&
         add_function<py_git_push>(git, "py_git_push", Text{"worktree"}, Flag{"force_with_lease", false}) &&
         add_function<py_git_push_with_upstream>(git, "py_git_push_with_upstream", Text{"worktree"}, Text{"remote"},
                                                 Text{"branch"}) &&
         add_function<py_git_create_branch>(git, "py_git_create_branch", Text{"worktree"}, Text{"name"}) &&
         add_function<py_git_land>(git, "py_git_land", Text{"worktree"}, Text{"strategy"},
                                   DefaultedText{"main_branch", "main"}) &&
         add_function<py_git_get_default_branch>(git, "py_git_get_default_branch", Text{"repo"}) &&
         add_function<py_git_is_clean>(git, "py_git_is_clean", Text{"repo"}) &&
         add_function<py_git_stage_all>(git, "py_git_stage_all", Text{"repo"}) &&
         add_function<py_git_commit>(git, "py_git_commit", Text{"repo"}, Text{"message"}) &&
         add_function<py_git_delete_remote_branch>(git, "py_git_delete_remote_branch", Text{"repo"},
                                                   Text{"remote"}, Text{"branch"}) &&
         add_function<py_git_delete_local_branch>(git, "py_git_delete_local_branch", Text{"repo"}, Text{"branch"}) &&
         add_function<py_git_pr_exists>(git, "py_git_pr_exists", Text{"repo"}) &&
         add_function<py_git_pr_create_draft>(git, "py_git_pr_create_draft", Text{"repo"}) &&
         add_function<py_git_pr_merge_squash_auto>(git, "py_git_pr_merge_squash_auto", Text{"repo"}) &&
         add_function<py_git_sync_main>(git, "py_git_sync_main", Text{"repo"}, DefaultedText{"main_branch", "main"}) &&
         add_function<py_git_worktree_remove>(git, "py_git_worktree_remove", Text{"repo"}, Text{"path"}) &&
         add_function<py_git_worktree_move>(git, "py_git_worktree_move", Text{"repo"}, Text{"old_path"},
                                            Text{"new_path"}) &&
         add_function<py_git_worktree_add>(git, "py_git_worktree_add", Text{"repo"}, Text{"path"}, Text{"branch"},
                                           Text{"start_point"}) &&
         add_function<py_git_rev_parse>(git, "py_git_rev_parse", Text{"repo"}, Text{"refspec"});
}

}  // namespace varnel::py
