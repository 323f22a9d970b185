#include "varnel/engine/branch_names.hpp"

#include <array>
#include <cstdlib>
#include <ctime>
#include <random>

#include "varnel/engine/text.hpp"

namespace varnel {

namespace {

constexpr std::array<std::string_view, 34> kFirstWords = {
    "aurora", "cascade", "crystal", "drift", "echo",  "ember",  "fern",   "flume", "frost",  "glade", "grove", "haze",
    "ivy",    "jade",    "luna",    "mist",  "nova",  "opal",   "petal",  "prism", "rain",   "ripple", "sage", "shade",
    "spark",  "star",    "stone",   "storm", "tide",  "vale",   "wave",   "wisp",  "wren",   "zephyr"};

constexpr std::array<std::string_view, 26> kSecondWords = {
    "allegro", "aria",    "ballad", "cadence", "canon", "chord",   "coda",    "duet",  "forte",
    "fugue",   "harmony", "hymn",   "lilt",    "lyric", "melody",  "motif",   "opus",  "prelude",
    "refrain", "rondo",   "sonata", "tempo",   "trill", "tune",    "verse",   "waltz"};

bool is_kept(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' || c == '-' ||
         c == '.';
}

void replace_all(std::string& text, std::string_view placeholder, std::string_view value) {
  for (size_t at = text.find(placeholder); at != std::string::npos; at = text.find(placeholder, at + value.size())) {
    text.replace(at, placeholder.size(), value);
  }
}

std::string format_local(const std::tm& time, const char* format) {
  char buffer[32];
  const size_t n = std::strftime(buffer, sizeof buffer, format, &time);
  return std::string(buffer, n);
}

GitResult<std::string> user_slug(const std::filesystem::path& repo) {
  auto out = run_git_output(repo, {"config", "user.name"});
  if (!out) return std::unexpected(std::move(out.error()));
  if (out->status.success()) {
    const std::string text = lossy_utf8(out->out);
    if (const std::string_view name = trim(text); !name.empty()) return slugify_name_part(name);
  }
  const char* user = std::getenv("USER");
  return slugify_name_part(user && is_valid_utf8(user) ? user : "user");
}

}  // namespace

std::string slugify_name_part(std::string_view text) {
  // Bytes, not characters: every byte of a multi-byte character is dropped, and a run of
  // dropped bytes gives one "-" just as a run of dropped characters would.
  std::string slug;
  slug.reserve(text.size());
  bool previous_dropped = false;
  for (char c : text) {
    if (is_kept(c)) {
      slug.push_back(c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c);
      previous_dropped = false;
    } else {
      if (!previous_dropped) slug.push_back('-');
      previous_dropped = true;
    }
  }
  std::string result;
  result.reserve(slug.size());
  for (char c : slug) {
    if (c == '-' && (result.empty() || result.back() == '-')) continue;
    result.push_back(c);
  }
  if (!result.empty() && result.back() == '-') result.pop_back();
  return result.empty() ? std::string("user") : result;
}

std::string random_branch_words() {
  thread_local std::mt19937 generator{std::random_device{}()};
  std::uniform_int_distribution<size_t> first(0, kFirstWords.size() - 1);
  std::uniform_int_distribution<size_t> second(0, kSecondWords.size() - 1);
  std::string words(kFirstWords[first(generator)]);
  words += '-';
  words += kSecondWords[second(generator)];
  return words;
}

GitResult<std::string> generate_branch_name(std::string_view name, std::optional<std::string_view> branch_template,
                                            const std::filesystem::path& repo) {
  const std::string_view pattern = branch_template.value_or(kDefaultBranchTemplate);
  if (pattern == "{name}") return slugify_name_part(name);

  auto user = user_slug(repo);
  if (!user) return std::unexpected(std::move(user.error()));
  const std::string name_slug = slugify_name_part(name);
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  const std::string timestamp = format_local(local, "%Y%m%d_%H%M");
  const std::string date = format_local(local, "%Y%m%d");
  const std::string words = random_branch_words();

  std::string result(pattern);
  replace_all(result, "{name}", name_slug);
  replace_all(result, "{user}", *user);
  replace_all(result, "{timestamp}", timestamp);
  replace_all(result, "{ts}", timestamp);
  replace_all(result, "{date}", date);
  replace_all(result, "{words}", words);
  return result;
}

}  // namespace varnel
