#include "tokens/bpe.hpp"

#include <algorithm>
#include <array>
#include <limits>
#include <vector>

#include "tokens/merge_queue.hpp"

namespace varnel::tokens {
namespace {

// Pieces up to this many bytes merge in place on the stack.
constexpr size_t kScanLimit = 96;

const uint8_t* bytes_of(std::string_view piece) { return reinterpret_cast<const uint8_t*>(piece.data()); }

// The scan over a vector of parts: parts[i] starts at start[i]; rank[i] is the rank of
// parts i and i + 1 joined. One merge costs a scan for the minimum and a shift.
template <typename Index>
uint64_t scan_merge(const RankTable& table, const uint8_t* p, size_t n, Index* start, uint32_t* rank) {
  for (size_t i = 0; i + 1 < n; ++i) {
    start[i] = Index(i);
    rank[i] = table.pair_rank(p[i], p[i + 1]);
  }
  start[n - 1] = Index(n - 1);
  start[n] = Index(n);
  rank[n - 1] = kNoRank;
  size_t parts = n;
  for (;;) {
    uint32_t best = kNoRank;
    size_t at = 0;
    for (size_t i = 0; i + 1 < parts; ++i) {
      if (rank[i] < best) {
        best = rank[i];
        at = i;
      }
    }
    if (best == kNoRank) return parts;
    // Parts `at` and `at + 1` become one; its neighbours' pair ranks change.
    std::copy(start + at + 2, start + parts + 1, start + at + 1);
    std::copy(rank + at + 2, rank + parts, rank + at + 1);
    --parts;
    rank[at] = at + 1 < parts ? table.rank_of(p + start[at], start[at + 2] - start[at]) : kNoRank;
    if (at > 0) rank[at - 1] = table.rank_of(p + start[at - 1], start[at + 1] - start[at - 1]);
  }
}

// The queue merge: parts form a linked list named by their first byte. Stale entries are
// skipped when popped: a part's pair rank names the bytes from its start to its right
// neighbour's end, which only grow, so an entry is current exactly when its rank equals
// the part's present pair rank.
template <typename Index>
uint64_t queue_merge(const RankTable& table, const uint8_t* p, size_t n) {
  constexpr Index kGone = std::numeric_limits<Index>::max();
  std::vector<Index> next(n), prev(n);
  std::vector<uint32_t> rank(n);
  MergeQueue<Index> queue;
  for (size_t i = 0; i < n; ++i) {
    next[i] = Index(i + 1);
    prev[i] = i ? Index(i - 1) : kGone;
    rank[i] = i + 1 < n ? table.pair_rank(p[i], p[i + 1]) : kNoRank;
    if (rank[i] != kNoRank) queue.push(rank[i], Index(i));
  }
  uint64_t parts = n;
  uint32_t popped;
  Index s;
  while (queue.pop(popped, s)) {
    if (next[s] == kGone || rank[s] != popped) continue;
    const Index gone = next[s];
    next[s] = next[gone];
    if (next[s] < n) prev[next[s]] = s;
    next[gone] = kGone;
    --parts;
    for (const Index changed : {prev[s], s}) {
      if (changed == kGone) continue;
      const Index right = next[changed];
      rank[changed] = right < n ? table.rank_of(p + changed, next[right] - changed) : kNoRank;
      if (rank[changed] != kNoRank) queue.push(rank[changed], changed);
    }
  }
  return parts;
}

}  // namespace

uint64_t merge_count_scan(const RankTable& table, std::string_view piece) {
  const size_t n = piece.size();
  if (n < 2) return n;
  if (n <= kScanLimit) {
    std::array<uint8_t, kScanLimit + 1> start;
    std::array<uint32_t, kScanLimit> rank;
    return scan_merge(table, bytes_of(piece), n, start.data(), rank.data());
  }
  std::vector<size_t> start(n + 1);
  std::vector<uint32_t> rank(n);
  return scan_merge(table, bytes_of(piece), n, start.data(), rank.data());
}

uint64_t merge_count_queue(const RankTable& table, std::string_view piece) {
  const size_t n = piece.size();
  if (n < 2) return n;
  if (n < std::numeric_limits<uint32_t>::max()) return queue_merge<uint32_t>(table, bytes_of(piece), n);
  return queue_merge<uint64_t>(table, bytes_of(piece), n);
}

uint64_t count_piece_tokens(const RankTable& table, std::string_view piece) {
  if (piece.size() <= table.max_token_size() && table.rank_of(piece) != kNoRank) return 1;
  return piece.size() <= kScanLimit ? merge_count_scan(table, piece) : merge_count_queue(table, piece);
}

}  // namespace varnel::tokens
