#pragma once
// The Unicode classes the pre-tokeniser distinguishes: letters (L*), numbers (N*) and
// White_Space; everything else, unassigned code points included, is Other.

#include <cstdint>

namespace varnel::tokens {

enum class CharClass : uint8_t { Other = 0, Letter = 1, Number = 2, Space = 3 };

#include "tokens/char_class_table.inc"

// The class of code point `cp` under Unicode 16.0; Other for values past U+10FFFF.
inline CharClass char_class(char32_t cp) {
  if (cp >= kClassLimit) return CharClass::Other;
  const uint8_t packed = kClassBlocks[(kClassStage1[cp >> kClassBlockBits] << (kClassBlockBits - 2)) +
                                      ((cp & ((1u << kClassBlockBits) - 1)) >> 2)];
  return static_cast<CharClass>((packed >> ((cp & 3) * 2)) & 3);
}

}  // namespace varnel::tokens
