// Unit widths from the view font through GDI, with and without the width cache.
#include <windows.h>

#include <gtest/gtest.h>

#include "win/platform/text_measure.h"

namespace vemora {
namespace {

class TextMeasureTest : public ::testing::Test {
 protected:
  void SetUp() override {
    font_ = CreateFontW(-16, 0, 0, 0, FW_NORMAL, 0, 0, 0, SHIFTJIS_CHARSET, 0, 0, 0,
                        FIXED_PITCH | FF_MODERN, L"IPAGothic");
    ASSERT_NE(font_, nullptr);
  }
  void TearDown() override { DeleteObject(font_); }

  // The width measured directly, without any cache.
  int32_t Direct(wchar_t unit) {
    HDC dc = GetDC(nullptr);
    HGDIOBJ previous = SelectObject(dc, font_);
    SIZE extent{};
    GetTextExtentPoint32W(dc, &unit, 1, &extent);
    SelectObject(dc, previous);
    ReleaseDC(nullptr, dc);
    return extent.cx;
  }

  HFONT font_ = nullptr;
};

TEST_F(TextMeasureTest, CachedWidthsEqualDirectMeasurement) {
  for (int round = 0; round < 2; ++round) {  // the second round answers from the cache
    GdiTextMeasure measure(nullptr, font_);
    for (wchar_t unit : {L'a', L'W', L'あ', L'ｱ', L'語', L'\x7F'})
      EXPECT_EQ(measure.UnitWidth(static_cast<char16_t>(unit)), Direct(unit)) << int(unit);
  }
  GdiTextMeasure measure(nullptr, font_);
  EXPECT_GT(measure.UnitWidth(u'あ'), measure.UnitWidth(u'a'));
  EXPECT_GT(measure.AverageCharWidth(), 0);
}

TEST_F(TextMeasureTest, AnotherFontIsMeasuredAnew) {
  HFONT large = CreateFontW(-40, 0, 0, 0, FW_NORMAL, 0, 0, 0, SHIFTJIS_CHARSET, 0, 0, 0,
                            FIXED_PITCH | FF_MODERN, L"IPAGothic");
  const int32_t small = GdiTextMeasure(nullptr, font_).UnitWidth(u'あ');
  const int32_t big = GdiTextMeasure(nullptr, large).UnitWidth(u'あ');
  EXPECT_GT(big, small);
  DeleteObject(large);
}

}  // namespace
}  // namespace vemora
