#include "prompt/gitignore/glob.hpp"

#include <string>

namespace varnel::gitignore {
namespace {

// The POSIX classes of bracket expressions, ASCII only (bytes of multibyte characters
// belong to none).
bool in_class(std::string_view name, unsigned c, bool& known) {
  known = true;
  const bool lower = c >= 'a' && c <= 'z';
  const bool upper = c >= 'A' && c <= 'Z';
  const bool digit = c >= '0' && c <= '9';
  const bool graph = c > 0x20 && c < 0x7F;
  if (name == "alnum") return lower || upper || digit;
  if (name == "alpha") return lower || upper;
  if (name == "blank") return c == ' ' || c == '\t';
  if (name == "cntrl") return c < 0x20 || c == 0x7F;
  if (name == "digit") return digit;
  if (name == "graph") return graph;
  if (name == "lower") return lower;
  if (name == "print") return graph || c == ' ';
  if (name == "punct") return graph && !lower && !upper && !digit;
  if (name == "space") return c == ' ' || (c >= '\t' && c <= '\r');
  if (name == "upper") return upper;
  if (name == "xdigit") return digit || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
  known = false;
  return false;
}

// Parses the bracket expression whose '[' is at `p[i]`; on success `i` is left on its
// closing ']'. The first member may be ']' itself; "!" or "^" negates; a '-' between two
// members makes a range, anywhere else it is literal.
std::optional<std::bitset<256>> parse_set(std::string_view p, size_t& i) {
  std::bitset<256> set;
  ++i;
  bool negated = false;
  if (i < p.size() && (p[i] == '!' || p[i] == '^')) {
    negated = true;
    ++i;
  }
  int prev = -1;  // the last single member, a possible range start
  bool first = true;
  for (;; first = false) {
    if (i >= p.size()) return std::nullopt;
    const auto c = static_cast<unsigned char>(p[i]);
    if (c == ']' && !first) break;
    if (c == '\\') {
      if (++i >= p.size()) return std::nullopt;
      prev = static_cast<unsigned char>(p[i]);
      set.set(prev);
    } else if (c == '-' && prev >= 0 && i + 1 < p.size() && p[i + 1] != ']') {
      ++i;
      if (p[i] == '\\' && ++i >= p.size()) return std::nullopt;
      const auto hi = static_cast<unsigned char>(p[i]);
      for (int b = prev; b <= hi; ++b) set.set(b);
      prev = -1;
    } else if (c == '[' && i + 1 < p.size() && p[i + 1] == ':') {
      const size_t start = i + 2;
      const size_t close = p.find(']', start);
      if (close == std::string_view::npos) return std::nullopt;
      if (close < start + 1 || p[close - 1] != ':') {
        // No ":]": an ordinary '['.
        prev = '[';
        set.set(prev);
      } else {
        const std::string_view name = p.substr(start, close - 1 - start);
        bool known = false;
        for (unsigned b = 0; b < 256; ++b) {
          if (in_class(name, b, known)) set.set(b);
          if (!known) return std::nullopt;
        }
        i = close;
        prev = -1;
      }
    } else {
      prev = c;
      set.set(c);
    }
    ++i;
  }
  if (negated) set.flip();
  set.reset('/');
  return set;
}

}  // namespace

std::optional<Glob> Glob::compile(std::string_view p) {
  Glob glob;
  for (size_t i = 0; i < p.size(); ++i) {
    const char c = p[i];
    if (c == '*') {
      const size_t begin = i;
      while (i + 1 < p.size() && p[i + 1] == '*') ++i;
      const bool several = i > begin;
      const bool after_slash = begin == 0 || p[begin - 1] == '/';
      const std::string_view after = p.substr(i + 1);
      if (several && after_slash && after.empty()) {
        glob.tokens_.push_back({Op::Rest});
      } else if (several && after_slash && (after.starts_with('/') || after.starts_with("\\/"))) {
        glob.tokens_.push_back({Op::Dirs});
        glob.tokens_.push_back({Op::DirsRun});
        i += after.starts_with('/') ? 1 : 2;  // the slash belongs to the pair
      } else {
        glob.tokens_.push_back({Op::Star});
      }
    } else if (c == '?') {
      glob.tokens_.push_back({Op::AnyByte});
    } else if (c == '[') {
      auto set = parse_set(p, i);
      if (!set) return std::nullopt;
      glob.tokens_.push_back({Op::Set, 0, static_cast<uint16_t>(glob.sets_.size())});
      glob.sets_.push_back(*set);
    } else if (c == '\\') {
      if (++i >= p.size()) return std::nullopt;
      glob.tokens_.push_back({Op::Byte, static_cast<uint8_t>(p[i])});
    } else {
      glob.tokens_.push_back({Op::Byte, static_cast<uint8_t>(c)});
    }
  }
  return glob;
}

// A simulation of the pattern as an automaton over its token positions: linear in the
// text for every pattern, unlike backtracking over stars.
bool Glob::matches(std::string_view text) const {
  const size_t m = tokens_.size();
  std::string cur(m + 1, '\0'), next(m + 1, '\0');
  // Marks position `i` and the positions reached from it without consuming a byte: past
  // a star matching nothing, and from "**/" into its run or past the whole pair.
  auto add = [&](std::string& states, size_t i) {
    while (!states[i]) {
      states[i] = 1;
      if (i == m) return;
      const Op op = tokens_[i].op;
      if (op == Op::Dirs) {
        states[i + 1] = 1;
        i += 2;
      } else if (op == Op::Star || op == Op::Rest) {
        ++i;
      } else {
        return;
      }
    }
  };
  add(cur, 0);
  for (const char ch : text) {
    const auto c = static_cast<unsigned char>(ch);
    std::fill(next.begin(), next.end(), '\0');
    for (size_t i = 0; i < m; ++i) {
      if (!cur[i]) continue;
      const Token& t = tokens_[i];
      switch (t.op) {
        case Op::Byte:
          if (c == t.byte) add(next, i + 1);
          break;
        case Op::AnyByte:
          if (c != '/') add(next, i + 1);
          break;
        case Op::Set:
          if (sets_[t.set].test(c)) add(next, i + 1);
          break;
        case Op::Star:
          if (c != '/') add(next, i);
          break;
        case Op::Dirs:
          break;
        case Op::DirsRun:
          add(next, i);
          if (c == '/') add(next, i + 1);
          break;
        case Op::Rest:
          add(next, i);
          break;
      }
    }
    if (next.find('\1') == std::string::npos) return false;
    cur.swap(next);
  }
  return cur[m] != 0;
}

}  // namespace varnel::gitignore
