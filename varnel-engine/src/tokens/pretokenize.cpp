#include "tokens/pretokenize.hpp"

#include <array>
#include <cstdint>

#include "tokens/char_class.hpp"

namespace varnel::tokens {
namespace {

// The character kinds the pattern tells apart; CR and LF are spaces with a role of their own.
enum Kind : uint8_t { kOther, kLetter, kNumber, kSpace, kNewline };
static_assert(kLetter == uint8_t(CharClass::Letter) && kNumber == uint8_t(CharClass::Number) &&
              kSpace == uint8_t(CharClass::Space));

constexpr std::array<Kind, 128> kAsciiKinds = [] {
  std::array<Kind, 128> kinds{};
  for (int c = 0; c < 128; ++c) {
    kinds[c] = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') ? kLetter
               : c >= '0' && c <= '9'                             ? kNumber
               : c == '\r' || c == '\n'                           ? kNewline
               : c == ' ' || (c >= '\t' && c <= '\f')             ? kSpace
                                                                  : kOther;
  }
  return kinds;
}();

struct Char {
  Kind kind;
  uint32_t size;  // bytes
};

bool continuation(uint8_t b) { return (b & 0xC0) == 0x80; }

Kind kind_of(char32_t cp) { return static_cast<Kind>(char_class(cp)); }

// The character at `i` (i < n). Ill-formed sequences (overlong forms, surrogates, values
// past U+10FFFF, truncation) yield a one-byte Other character.
[[gnu::always_inline]] inline Char decode(const uint8_t* p, size_t i, size_t n) {
  const uint8_t b = p[i];
  if (b < 0x80) return {kAsciiKinds[b], 1};
  const size_t left = n - i;
  if (b >= 0xC2 && b <= 0xDF) {
    if (left >= 2 && continuation(p[i + 1])) return {kind_of(char32_t(b & 0x1F) << 6 | (p[i + 1] & 0x3F)), 2};
  } else if (b >= 0xE0 && b <= 0xEF) {
    if (left >= 3 && continuation(p[i + 1]) && continuation(p[i + 2]) && (b != 0xE0 || p[i + 1] >= 0xA0) &&
        (b != 0xED || p[i + 1] < 0xA0)) {
      return {kind_of(char32_t(b & 0x0F) << 12 | char32_t(p[i + 1] & 0x3F) << 6 | (p[i + 2] & 0x3F)), 3};
    }
  } else if (b >= 0xF0 && b <= 0xF4) {
    if (left >= 4 && continuation(p[i + 1]) && continuation(p[i + 2]) && continuation(p[i + 3]) &&
        (b != 0xF0 || p[i + 1] >= 0x90) && (b != 0xF4 || p[i + 1] < 0x90)) {
      return {kind_of(char32_t(b & 0x07) << 18 | char32_t(p[i + 1] & 0x3F) << 12 | char32_t(p[i + 2] & 0x3F) << 6 |
                      (p[i + 3] & 0x3F)),
              4};
    }
  }
  return {kOther, 1};
}

// The end of the run of `kind` characters that starts at `i`.
[[gnu::always_inline]] inline size_t run_end(const uint8_t* p, size_t i, size_t n, Kind kind) {
  while (i < n) {
    if (p[i] < 0x80) {  // most text is ASCII: skip the decoder
      if (kAsciiKinds[p[i]] != kind) break;
      ++i;
      continue;
    }
    const Char c = decode(p, i, n);
    if (c.kind != kind) break;
    i += c.size;
  }
  return i;
}

inline size_t newlines_end(const uint8_t* p, size_t i, size_t n) {
  while (i < n && (p[i] == '\r' || p[i] == '\n')) ++i;
  return i;
}

bool ascii_is(uint8_t b, char lower) { return (b | 0x20) == lower; }  // b is that letter in either case

// The end of a contraction whose letters start at `i`, right after an apostrophe; 0 if none.
// Matching ignores case as Unicode simple case folding does, which also maps
// U+017F LATIN SMALL LETTER LONG S to s.
size_t contraction_end(const uint8_t* p, size_t i, size_t n) {
  const uint8_t a = p[i];
  if (ascii_is(a, 's') || ascii_is(a, 't') || ascii_is(a, 'm') || ascii_is(a, 'd')) return i + 1;
  if (i + 1 >= n) return 0;
  const uint8_t b = p[i + 1];
  if (a == 0xC5 && b == 0xBF) return i + 2;
  if ((ascii_is(a, 'r') || ascii_is(a, 'v')) && ascii_is(b, 'e')) return i + 2;
  if (ascii_is(a, 'l') && ascii_is(b, 'l')) return i + 2;
  return 0;
}

}  // namespace

size_t piece_end(std::string_view text, size_t pos) {
  const auto* p = reinterpret_cast<const uint8_t*>(text.data());
  const size_t n = text.size();
  const Char first = decode(p, pos, n);
  const size_t next = pos + first.size;

  // 's 't 're 've 'm 'll 'd
  if (p[pos] == '\'' && next < n) {
    if (const size_t end = contraction_end(p, next, n)) return end;
  }
  // [^\r\n\p{L}\p{N}]?\p{L}+
  if (first.kind == kLetter) return run_end(p, next, n, kLetter);
  if ((first.kind == kOther || first.kind == kSpace) && next < n) {
    const Char second = decode(p, next, n);
    if (second.kind == kLetter) return run_end(p, next + second.size, n, kLetter);
  }
  // \p{N}{1,3}
  if (first.kind == kNumber) {
    size_t end = next;
    for (int more = 0; more < 2 && end < n; ++more) {
      const Char c = decode(p, end, n);
      if (c.kind != kNumber) break;
      end += c.size;
    }
    return end;
  }
  //  ?[^\s\p{L}\p{N}]+[\r\n]*
  if (first.kind == kOther) return newlines_end(p, run_end(p, next, n, kOther), n);
  if (p[pos] == ' ' && next < n) {
    const Char second = decode(p, next, n);
    if (second.kind == kOther) return newlines_end(p, run_end(p, next + second.size, n, kOther), n);
  }

  // The rest start with white space: scan its run once for the three remaining forms.
  size_t end = pos, last_start = pos, after_newline = 0;
  while (end < n) {
    const Char c = decode(p, end, n);
    if (c.kind != kSpace && c.kind != kNewline) break;
    if (c.kind == kNewline) after_newline = end + 1;
    last_start = end;
    end += c.size;
  }
  if (after_newline) return after_newline;                  // \s*[\r\n]+
  if (end < n && last_start > pos) return last_start;       // \s+(?!\S): leave the last space to the
                                                            // piece that follows
  return end;                                               // \s+(?!\S) at the end, or \s+
}

}  // namespace varnel::tokens
