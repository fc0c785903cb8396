// Which decoder answers a range of bus addresses: among address ranges [base, base + size)
// given with a rank, the range of lowest rank that holds a whole range [address, address +
// length). The simulated machine keeps one for its memory BARs and one for its I/O BARs, so
// that finding the BAR behind an address does not walk every function.
//
// A lookup costs a binary search and a walk down a tree of the ranges that begin at or below
// the address, pruned to those that reach the range's end and rank below the best one found:
// for decoders that do not overlap, a logarithmic number of steps.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace tvk {

class DecodeIndex {
  public:
    static constexpr uint64_t kNone = ~uint64_t(0);

    // Replaces the ranges with `ranges` (size at least 1 each); ranks need not be unique or
    // ordered.
    struct Range {
        uint64_t base;
        uint64_t size;
        uint64_t rank;
    };
    void Assign(std::vector<Range> ranges);

    // The rank of the lowest-ranked range holding [address, address + length), kNone when
    // none does or `length` is 0.
    uint64_t Find(uint64_t address, uint64_t length) const;

    size_t Count() const { return bases_.size(); }

  private:
    void Search(size_t node, size_t from, size_t to, size_t count, uint64_t last,
                uint64_t& best) const;

    std::vector<uint64_t> bases_;  // sorted
    size_t leaves_ = 0;            // a power of two, at least bases_.size()
    // A complete binary tree over the sorted ranges (node 1 is the root, leaves from leaves_
    // on): the highest last byte (base + size - 1, at most 2^64 - 1) and the lowest rank
    // below each node.
    std::vector<uint64_t> last_;
    std::vector<uint64_t> rank_;
};

}  // namespace tvk
