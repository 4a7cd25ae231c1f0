// The table of display lines: where each one starts and which logical line it belongs
// to, kept in blocks of 1000 so that a layout never copies and a lookup walks blocks.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

namespace vemora {

struct LineBlock {
  static constexpr int32_t kCapacity = 1000;
  int32_t count = 0;                          // display lines recorded here, 0 to 1000
  std::array<int64_t, kCapacity> starts{};    // text offset of each display line
  std::array<int32_t, kCapacity> logical{};   // line ends before that start
};

// After the last display line one more entry, the end mark, holds the end of the text
// and the total number of line ends: at index `count` of the last block that received a
// line, or at index 0 of one more block with count 0 when that block is full.
//
// Every block but the last one or two is therefore full, so display line n is entry
// n % 1000 of block n / 1000; the lookups rely on that instead of summing counts.
struct LineTable {
  std::vector<std::unique_ptr<LineBlock>> blocks;

  void Clear() { blocks.clear(); }
  bool Empty() const { return blocks.empty(); }

  // Entry n (a display line, or the end mark when n is the display line count).
  int64_t StartOf(int32_t n) const {
    return blocks[static_cast<size_t>(n / LineBlock::kCapacity)]->starts[n % LineBlock::kCapacity];
  }
  int32_t LogicalOf(int32_t n) const {
    return blocks[static_cast<size_t>(n / LineBlock::kCapacity)]->logical[n % LineBlock::kCapacity];
  }
};

}  // namespace vemora
