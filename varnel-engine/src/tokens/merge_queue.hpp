#pragma once
// The priority queue of the long-piece merge.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <vector>

namespace varnel::tokens {

// Candidate merges (rank, start) of a long piece, popped least first. Ranks are few and
// each one's starts arrive mostly in increasing order (merges sweep a run left to right),
// so entries live in one bucket per rank, sorted lazily, and a small heap orders the ranks
// that have entries. This keeps a megabyte-long run at a few memory passes, where one heap
// of all entries would miss the cache at every level.
template <typename Index>
class MergeQueue {
 public:
  void push(uint32_t rank, Index start) {
    Bucket& b = bucket(rank);
    if (b.next < b.starts.size() && start < b.starts.back()) b.sorted = false;
    b.starts.push_back(start);
    if (!b.queued) {
      b.queued = true;
      ranks_.push_back(rank);
      std::push_heap(ranks_.begin(), ranks_.end(), std::greater<>());
    }
  }

  // Pops the least (rank, start) into the arguments; false when nothing is left.
  bool pop(uint32_t& rank, Index& start) {
    while (!ranks_.empty()) {
      Bucket& b = bucket(ranks_.front());
      if (b.next == b.starts.size()) {
        std::pop_heap(ranks_.begin(), ranks_.end(), std::greater<>());
        ranks_.pop_back();
        b.queued = false;
        b.starts.clear();
        b.next = 0;
        b.sorted = true;
        continue;
      }
      if (!b.sorted) {
        std::sort(b.starts.begin() + b.next, b.starts.end());
        b.sorted = true;
      }
      rank = b.rank;
      start = b.starts[b.next++];
      return true;
    }
    return false;
  }

 private:
  struct Bucket {
    uint32_t rank;
    bool queued = false;
    bool sorted = true;
    size_t next = 0;  // starts before it are popped
    std::vector<Index> starts;
  };

  // The bucket of `rank`, found through an open-addressing map from rank to bucket.
  Bucket& bucket(uint32_t rank) {
    if (2 * (buckets_.size() + 1) > slots_.size()) grow();
    const size_t mask = slots_.size() - 1;
    for (size_t i = (rank * 0x9E3779B1u) >> 8 & mask;; i = (i + 1) & mask) {
      if (slots_[i] == 0) {
        buckets_.push_back(Bucket{rank, false, true, 0, {}});
        slots_[i] = uint32_t(buckets_.size());
        return buckets_.back();
      }
      if (buckets_[slots_[i] - 1].rank == rank) return buckets_[slots_[i] - 1];
    }
  }

  void grow() {
    slots_.assign(std::max<size_t>(64, 2 * slots_.size()), 0);
    const size_t mask = slots_.size() - 1;
    for (size_t k = 0; k < buckets_.size(); ++k) {
      size_t i = (buckets_[k].rank * 0x9E3779B1u) >> 8 & mask;
      while (slots_[i]) i = (i + 1) & mask;
      slots_[i] = uint32_t(k + 1);
    }
  }

  std::vector<uint32_t> slots_;  // bucket index + 1, or 0
  std::vector<Bucket> buckets_;
  std::vector<uint32_t> ranks_;  // min-heap of ranks whose buckets hold entries
};

}  // namespace varnel::tokens
