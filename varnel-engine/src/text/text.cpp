#include "varnel/engine/text.hpp"

#include <cstdint>
#include <cstring>

namespace varnel {
namespace {

// Length of the well-formed UTF-8 sequence at the start of `s`, or 0 when the bytes
// there are ill-formed; `bad` then receives the length of the maximal ill-formed
// subpart, which is replaced by a single U+FFFD.
size_t sequence_length(std::string_view s, size_t& bad) {
  const auto b0 = static_cast<uint8_t>(s[0]);
  if (b0 < 0x80) return 1;
  size_t need;
  uint8_t lo = 0x80, hi = 0xBF;
  if (b0 >= 0xC2 && b0 <= 0xDF) {
    need = 1;
  } else if (b0 >= 0xE0 && b0 <= 0xEF) {
    need = 2;
    if (b0 == 0xE0) lo = 0xA0;
    if (b0 == 0xED) hi = 0x9F;
  } else if (b0 >= 0xF0 && b0 <= 0xF4) {
    need = 3;
    if (b0 == 0xF0) lo = 0x90;
    if (b0 == 0xF4) hi = 0x8F;
  } else {
    bad = 1;
    return 0;
  }
  size_t i = 1;
  for (; i <= need; ++i) {
    if (i >= s.size()) break;
    const auto b = static_cast<uint8_t>(s[i]);
    const uint8_t l = i == 1 ? lo : 0x80;
    const uint8_t h = i == 1 ? hi : 0xBF;
    if (b < l || b > h) break;
  }
  if (i == need + 1) return i;
  bad = i;
  return 0;
}

// Decodes the scalar value at `s[i]`; `len` receives its byte length, 0 if ill-formed.
char32_t decode_at(std::string_view s, size_t i, size_t& len) {
  size_t bad = 0;
  len = sequence_length(s.substr(i), bad);
  const auto b0 = static_cast<uint8_t>(s[i]);
  switch (len) {
    case 1: return b0;
    case 2: return ((b0 & 0x1Fu) << 6) | (static_cast<uint8_t>(s[i + 1]) & 0x3Fu);
    case 3:
      return ((b0 & 0x0Fu) << 12) | ((static_cast<uint8_t>(s[i + 1]) & 0x3Fu) << 6) |
             (static_cast<uint8_t>(s[i + 2]) & 0x3Fu);
    case 4:
      return ((b0 & 0x07u) << 18) | ((static_cast<uint8_t>(s[i + 1]) & 0x3Fu) << 12) |
             ((static_cast<uint8_t>(s[i + 2]) & 0x3Fu) << 6) | (static_cast<uint8_t>(s[i + 3]) & 0x3Fu);
    default: return 0xFFFD;
  }
}

// The length of the run of ASCII bytes at the start of `s`, eight bytes at a time:
// documents and program output are mostly ASCII.
size_t ascii_prefix(std::string_view s) {
  size_t i = 0;
  for (; i + 8 <= s.size(); i += 8) {
    uint64_t word;
    std::memcpy(&word, s.data() + i, 8);
    if (word & 0x8080808080808080u) break;
  }
  while (i < s.size() && static_cast<uint8_t>(s[i]) < 0x80) ++i;
  return i;
}

bool is_white_space(char32_t c) {
  return (c >= 0x09 && c <= 0x0D) || c == 0x20 || c == 0x85 || c == 0xA0 || c == 0x1680 ||
         (c >= 0x2000 && c <= 0x200A) || c == 0x2028 || c == 0x2029 || c == 0x202F || c == 0x205F ||
         c == 0x3000;
}

}  // namespace

std::string lossy_utf8(std::string_view bytes) {
  std::string out;
  out.reserve(bytes.size());
  size_t i = 0;
  while (i < bytes.size()) {
    if (const size_t ascii = ascii_prefix(bytes.substr(i))) {
      out.append(bytes.data() + i, ascii);
      i += ascii;
      continue;
    }
    size_t bad = 0;
    const size_t len = sequence_length(bytes.substr(i), bad);
    if (len) {
      out.append(bytes.data() + i, len);
      i += len;
    } else {
      out.append("\xEF\xBF\xBD");
      i += bad;
    }
  }
  return out;
}

bool is_valid_utf8(std::string_view bytes) {
  size_t i = 0;
  while (i < bytes.size()) {
    i += ascii_prefix(bytes.substr(i));
    if (i == bytes.size()) break;
    size_t bad = 0;
    const size_t len = sequence_length(bytes.substr(i), bad);
    if (!len) return false;
    i += len;
  }
  return true;
}

std::string_view trim_start(std::string_view text) {
  size_t i = 0;
  while (i < text.size()) {
    size_t len = 0;
    const char32_t c = decode_at(text, i, len);
    if (!len || !is_white_space(c)) break;
    i += len;
  }
  return text.substr(i);
}

std::string_view trim_end(std::string_view text) {
  size_t end = text.size();
  while (end > 0) {
    // Step back to the start of the last scalar value.
    size_t start = end - 1;
    while (start > 0 && end - start < 4 && (static_cast<uint8_t>(text[start]) & 0xC0) == 0x80) --start;
    size_t len = 0;
    const char32_t c = decode_at(text, start, len);
    if (len != end - start || !is_white_space(c)) break;
    end = start;
  }
  return text.substr(0, end);
}

std::string_view trim(std::string_view text) { return trim_end(trim_start(text)); }

}  // namespace varnel
