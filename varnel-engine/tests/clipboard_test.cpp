#include "varnel/engine/clipboard.hpp"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "temp_tree.hpp"

namespace varnel {
namespace {

struct Fake {
  std::string name;
  std::string stdout_text;
  int exit_code;
};

struct Case {
  std::string what;
  std::vector<Fake> installed;
  std::optional<std::string> expected;
  std::vector<std::string> ran;  // in order, as "<program> <args>"
};

const Case kCases[] = {
    {"xclip answers, untrimmed", {{"xclip", "  hello\\n", 0}, {"xsel", "no", 0}}, "  hello\n",
     {"xclip -selection clipboard -o"}},
    {"empty xclip stops the search", {{"xclip", " \\n\\t", 0}, {"xsel", "no", 0}}, std::nullopt,
     {"xclip -selection clipboard -o"}},
    {"failing xclip stops the search", {{"xclip", "text", 1}, {"xsel", "no", 0}}, std::nullopt,
     {"xclip -selection clipboard -o"}},
    {"xsel when xclip is missing", {{"xsel", "from xsel", 0}, {"wl-paste", "no", 0}}, "from xsel",
     {"xsel --clipboard --output"}},
    {"wl-paste last", {{"wl-paste", "from wayland", 0}}, "from wayland", {"wl-paste "}},
    {"invalid UTF-8 is replaced", {{"xclip", "a\\377b", 0}}, "a\xEF\xBF\xBD" "b", {"xclip -selection clipboard -o"}},
    {"nothing installed", {}, std::nullopt, {}},
};

TEST(ClipboardTest, FirstProgramThatStartsDecides) {
  for (const Case& c : kCases) {
    testing::TempTree tree;
    const auto log = tree / "ran";
    for (const Fake& f : c.installed) {
      tree.script("bin/" + f.name, "echo \"$(/usr/bin/basename \"$0\") $*\" >> '" + log.string() + "'\nprintf '" +
                                       f.stdout_text + "'\nexit " + std::to_string(f.exit_code));
    }
    testing::ScopedEnv path("PATH", (tree / "bin").string());
    EXPECT_EQ(read_clipboard(), c.expected) << c.what;

    std::vector<std::string> ran;
    std::ifstream in(log);
    for (std::string line; std::getline(in, line);) ran.push_back(line);
    EXPECT_EQ(ran, c.ran) << c.what;
  }
}

}  // namespace
}  // namespace varnel
