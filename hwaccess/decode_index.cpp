#include "decode_index.h"

#include <algorithm>

namespace tvk {

void DecodeIndex::Assign(std::vector<Range> ranges) {
    std::erase_if(ranges, [](const Range& r) { return r.size == 0; });
    std::sort(ranges.begin(), ranges.end(),
              [](const Range& a, const Range& b) { return a.base < b.base; });
    bases_.clear();
    leaves_ = 1;
    while (leaves_ < ranges.size())
        leaves_ *= 2;
    last_.assign(2 * leaves_, 0);
    rank_.assign(2 * leaves_, kNone);
    for (size_t i = 0; i < ranges.size(); ++i) {
        const Range& r = ranges[i];
        bases_.push_back(r.base);
        last_[leaves_ + i] = r.size - 1 > kNone - r.base ? kNone : r.base + (r.size - 1);
        rank_[leaves_ + i] = r.rank;
    }
    for (size_t node = leaves_ - 1; node >= 1; --node) {
        last_[node] = std::max(last_[2 * node], last_[2 * node + 1]);
        rank_[node] = std::min(rank_[2 * node], rank_[2 * node + 1]);
    }
}

uint64_t DecodeIndex::Find(uint64_t address, uint64_t length) const {
    if (length == 0 || bases_.empty() || length - 1 > kNone - address) return kNone;
    // Only the ranges that begin at or below the address can hold it.
    const size_t count =
        size_t(std::upper_bound(bases_.begin(), bases_.end(), address) - bases_.begin());
    uint64_t best = kNone;
    Search(1, 0, leaves_, count, address + (length - 1), best);
    return best;
}

void DecodeIndex::Search(size_t node, size_t from, size_t to, size_t count, uint64_t last,
                         uint64_t& best) const {
    if (from >= count || last_[node] < last || rank_[node] >= best) return;
    if (node >= leaves_) {
        best = rank_[node];  // begins at or below the address and reaches its last byte
        return;
    }
    const size_t middle = from + (to - from) / 2;
    Search(2 * node, from, middle, count, last, best);
    Search(2 * node + 1, middle, to, count, last, best);
}

}  // namespace tvk
