// What the tests expect of documents made two ways (in one go and in steps or pieces, or
// grown and loaded whole): the same display lines, and a measure whose widths vary.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "core/layout/layout.h"
#include "core/platform/text_measure.h"
#include "core/text/document.h"

namespace vemora::testing {

// Pixel widths that differ between units, for the edge mode.
class VaryingMeasure final : public TextMeasure {
 public:
  int32_t UnitWidth(char16_t unit) override { return unit < 0x7F ? 7 : 11 + unit % 5; }
};

// The two line tables hold the same display lines: each line's start and logical line,
// and the end mark.
inline void ExpectSameLineTable(const Document& expected, const Document& actual,
                                const std::string& what) {
  ASSERT_EQ(expected.displayLineCount, actual.displayLineCount) << what;
  for (int32_t n = 0; n <= expected.displayLineCount; ++n) {
    ASSERT_EQ(expected.lineTable.StartOf(n), actual.lineTable.StartOf(n)) << what << ", line " << n;
    ASSERT_EQ(expected.lineTable.LogicalOf(n), actual.lineTable.LogicalOf(n))
        << what << ", line " << n;
  }
}

// The same, in blocks filled alike, with the same scroll scale.
inline void ExpectSameLineBlocks(const Document& expected, const Document& actual,
                                 const std::string& what) {
  ASSERT_EQ(expected.displayLineCount, actual.displayLineCount) << what;
  ASSERT_EQ(expected.scrollScale, actual.scrollScale) << what;
  ASSERT_EQ(expected.lineTable.blocks.size(), actual.lineTable.blocks.size()) << what;
  for (size_t b = 0; b < expected.lineTable.blocks.size(); ++b)
    ASSERT_EQ(expected.lineTable.blocks[b]->count, actual.lineTable.blocks[b]->count)
        << what << ", block " << b;
  ExpectSameLineTable(expected, actual, what);
}

}  // namespace vemora::testing
