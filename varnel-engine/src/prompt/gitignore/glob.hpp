#pragma once
// git's wildcard syntax, matched byte by byte against '/'-separated paths: '*', '?' and
// bracket expressions never match '/'; "**" bounded by slashes or the pattern's ends
// matches across directories.

#include <bitset>
#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

namespace varnel::gitignore {

class Glob {
 public:
  // Returns nothing for a pattern that can never match: an unclosed bracket, an unknown
  // [:class:], a trailing backslash.
  static std::optional<Glob> compile(std::string_view pattern);

  bool matches(std::string_view text) const;

 private:
  enum class Op : uint8_t {
    Byte,     // one given byte
    AnyByte,  // '?': one byte other than '/'
    Set,      // a bracket expression: one byte of the set, never '/'
    Star,     // '*': any run of bytes other than '/'
    Dirs,     // "**/": matches nothing itself; leads to DirsRun or past it
    DirsRun,  // the inside of "**/": any run of bytes, left only through a '/'
    Rest,     // a final "**": anything
  };
  struct Token {
    Op op;
    uint8_t byte = 0;
    uint16_t set = 0;  // index into sets_
  };

  std::vector<Token> tokens_;
  std::vector<std::bitset<256>> sets_;
};

}  // namespace varnel::gitignore
