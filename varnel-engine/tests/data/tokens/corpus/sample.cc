#include <algorithm>
#include <cstdint>
#include <optional>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace inventory {

// A part as the warehouse system exports it.
struct Part {
  std::string_view sku;
  uint32_t on_hand = 0;
  uint32_t reorder_at = 0;
};

class Ledger {
 public:
  explicit Ledger(std::vector<Part> parts) : parts_(std::move(parts)) {
    for (size_t i = 0; i < parts_.size(); ++i) index_[parts_[i].sku] = i;
  }

  std::optional<uint32_t> on_hand(std::string_view sku) const {
    auto it = index_.find(sku);
    if (it == index_.end()) return std::nullopt;
    return parts_[it->second].on_hand;
  }

  // Returns the SKUs at or below their reorder point, most urgent first.
  std::vector<std::string_view> to_reorder() const {
    std::vector<const Part*> low;
    for (const Part& p : parts_) {
      if (p.on_hand <= p.reorder_at) low.push_back(&p);
    }
    std::sort(low.begin(), low.end(), [](const Part* a, const Part* b) {
      return int64_t(a->on_hand) - a->reorder_at < int64_t(b->on_hand) - b->reorder_at;
    });
    std::vector<std::string_view> out;
    out.reserve(low.size());
    for (const Part* p : low) out.push_back(p->sku);
    return out;
  }

 private:
  std::vector<Part> parts_;
  std::unordered_map<std::string_view, size_t> index_;
};

}  // namespace inventory

int main() {
  inventory::Ledger ledger({{"AX-100", 3, 10}, {"BX-220", 40, 12}, {"CX-310", 0, 5}});
  return ledger.to_reorder().size() == 2 ? 0 : 1;
}
