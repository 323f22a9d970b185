#include <cstdint>

#include "tokens/encoder.hpp"

// Defined by the generated unit that embeds the blob (see build.cmake).
extern "C" __attribute__((visibility("hidden"))) const unsigned char varnel_cl100k_blob[];
extern "C" __attribute__((visibility("hidden"))) const unsigned char varnel_cl100k_blob_end[];

namespace varnel::tokens {

std::span<const std::byte> embedded_cl100k_blob() {
  const auto begin = reinterpret_cast<uintptr_t>(varnel_cl100k_blob);
  const auto end = reinterpret_cast<uintptr_t>(varnel_cl100k_blob_end);
  return {reinterpret_cast<const std::byte*>(varnel_cl100k_blob), size_t(end - begin)};
}

}  // namespace varnel::tokens
