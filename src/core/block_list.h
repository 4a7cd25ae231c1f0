// A list that grows by fixed-size blocks: appending never moves earlier entries, and
// walking or indexing touches one block at a time.
#pragma once

#include <algorithm>
#include <array>
#include <cstdint>
#include <memory>
#include <vector>

namespace vemora {

template <typename T, int32_t BlockSize>
class BlockList {
 public:
  struct Block {
    int32_t count = 0;
    std::array<T, BlockSize> entries{};
  };

  static constexpr int32_t kBlockSize = BlockSize;

  void Clear() {
    blocks_.clear();
    size_ = 0;
  }
  bool Empty() const { return size_ == 0; }
  int64_t Size() const { return size_; }

  void Append(const T& value) {
    if (blocks_.empty() || blocks_.back()->count == BlockSize)
      blocks_.push_back(std::make_unique<Block>());
    Block& last = *blocks_.back();
    last.entries[last.count++] = value;
    ++size_;
  }

  // Drops the entries from index `size` on; a list already that short stays as it is.
  void TruncateTo(int64_t size) {
    while (size_ > std::max<int64_t>(size, 0)) {
      Block& last = *blocks_.back();
      const auto drop = static_cast<int32_t>(std::min<int64_t>(last.count, size_ - size));
      last.count -= drop;
      size_ -= drop;
      if (last.count == 0) blocks_.pop_back();
    }
  }

  // Entry by index over all blocks.
  const T& operator[](int64_t index) const {
    return blocks_[static_cast<size_t>(index / BlockSize)]
        ->entries[static_cast<size_t>(index % BlockSize)];
  }
  T& operator[](int64_t index) {
    return blocks_[static_cast<size_t>(index / BlockSize)]
        ->entries[static_cast<size_t>(index % BlockSize)];
  }

  // The index of the first entry for which `before` is false, in a list where every entry
  // for which it is true comes first (a binary search, as std::partition_point).
  template <typename Predicate>
  int64_t PartitionPoint(Predicate before) const {
    int64_t low = 0;
    int64_t high = size_;
    while (low < high) {
      const int64_t middle = low + (high - low) / 2;
      if (before((*this)[middle])) {
        low = middle + 1;
      } else {
        high = middle;
      }
    }
    return low;
  }

  const std::vector<std::unique_ptr<Block>>& Blocks() const { return blocks_; }

 private:
  std::vector<std::unique_ptr<Block>> blocks_;
  int64_t size_ = 0;
};

}  // namespace vemora
