#include "varnel/engine/prompt.hpp"
#include "varnel/engine/tokens.hpp"

namespace varnel {

uint64_t PromptComponents::token_count() const {
  uint64_t total = 0;
  const auto add = [&](std::string_view text) { total += count_tokens(text); };
  if (step) add(step->content);
  for (const Direction& direction : directions) add(direction.content);
  if (product_guide) add(*product_guide);
  if (diff) add(*diff);
  for (const ContextDoc& file : files) add(file.content);
  for (const ContextDoc& doc : docs) add(doc.content);
  for (const ContextDoc& summary : summaries) add(summary.content);
  for (const ContextDoc& doc : area_docs) add(doc.content);
  if (clipboard) add(*clipboard);
  return total;
}

}  // namespace varnel
