#pragma once
// Fresh, readable branch names from a template such as "{user}.{name}.{timestamp}.{words}".

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "varnel/engine/git.hpp"

namespace varnel {

inline constexpr std::string_view kDefaultBranchTemplate = "{user}.{name}.{timestamp}.{words}";

// Fills `branch_template` (absent: kDefaultBranchTemplate). Placeholders: {name} (the slug
// of `name`), {user} (the slug of git's user.name, else of $USER, else "user"),
// {timestamp} and {ts} (local time as YYYYMMDD_HHMM), {date} (YYYYMMDD) and {words}
// (random_branch_words). Other text, braces included, is copied; the result is not
// slugified as a whole. The template "{name}" alone runs nothing. Only a failure to
// start git is an error.
GitResult<std::string> generate_branch_name(std::string_view name, std::optional<std::string_view> branch_template,
                                            const std::filesystem::path& repo);

// Lower-case ASCII letters, digits, "_", "-" and "."; every run of other characters
// becomes one "-"; no leading, trailing or doubled "-". Empty gives "user".
std::string slugify_name_part(std::string_view text);

// "<first>-<second>", one word drawn uniformly from each list, e.g. "ember-waltz".
std::string random_branch_words();

}  // namespace varnel
