// The block list's bulk append against appending one entry at a time: the same entries in
// the same order, wherever the blocks of either list end.
#include "core/block_list.h"

#include <gtest/gtest.h>

#include <string>

namespace vemora {
namespace {

TEST(BlockList, AppendingAListMapsEachEntryBehindTheOnesThere) {
  struct Case {
    int32_t before;  // entries in the list appended to
    int32_t added;   // entries in the list appended
  };
  // Blocks of 4: empty lists, part of a block, whole blocks, and a block filled up.
  const Case cases[] = {{0, 0}, {0, 3}, {3, 0},  {0, 4}, {4, 4}, {1, 3},
                        {3, 1}, {2, 7}, {3, 13}, {5, 8}, {7, 9}};
  for (const Case& c : cases) {
    const std::string label = std::to_string(c.before) + " + " + std::to_string(c.added);
    BlockList<int32_t, 4> list;
    BlockList<int32_t, 4> expected;
    for (int32_t i = 0; i < c.before; ++i) {
      list.Append(i);
      expected.Append(i);
    }
    BlockList<int32_t, 4> other;
    for (int32_t i = 0; i < c.added; ++i) {
      other.Append(100 + i);
      expected.Append(1100 + i);
    }
    list.AppendMapped(other, [](int32_t entry) { return entry + 1000; });
    ASSERT_EQ(list.Size(), expected.Size()) << label;
    for (int64_t i = 0; i < list.Size(); ++i)
      EXPECT_EQ(list[i], expected[i]) << label << " at " << i;
    // Appending goes on behind the entries added.
    list.Append(-1);
    EXPECT_EQ(list[list.Size() - 1], -1) << label;
    EXPECT_EQ(list.Size(), c.before + c.added + 1) << label;
  }
}

}  // namespace
}  // namespace vemora
