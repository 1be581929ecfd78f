#pragma once
// Elements 0..n-1 joined into groups pair by pair (union-find). A group's
// root is always its smallest element, so numbering groups in element
// order meets every root before the rest of its group.

#include <algorithm>
#include <numeric>
#include <vector>

namespace meshtools {

template <class Index>
class JoinedGroups {
public:
  explicit JoinedGroups(std::size_t count) : root_(count) {
    std::iota(root_.begin(), root_.end(), Index{0});
  }

  Index Root(Index i) {
    while (root_[i] != i)
      i = root_[i] = root_[root_[i]];
    return i;
  }

  // False when the two were in one group already.
  bool Join(Index a, Index b) {
    a = Root(a);
    b = Root(b);
    if (a == b) return false;
    root_[std::max(a, b)] = std::min(a, b);
    return true;
  }

private:
  std::vector<Index> root_;
};

} // namespace meshtools
