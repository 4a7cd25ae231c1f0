// Unit widths from the view font through GDI, with and without the width cache.
#include <windows.h>

#include <gtest/gtest.h>

#include <memory>
#include <thread>
#include <vector>

#include "core/layout/layout.h"
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

// A load's workers measure in a device context of their own, from another thread, with a
// copy of the font: the widths are the view's, also for the context's own font.
TEST_F(TextMeasureTest, AWorkersMeasureGivesTheViewsWidths) {
  for (HFONT font : {font_, static_cast<HFONT>(nullptr)}) {
    std::shared_ptr<TextMeasure> worker = MakeWorkerTextMeasure(font);
    std::vector<int32_t> widths;
    std::thread([&] {
      for (wchar_t unit : {L'a', L'W', L'あ', L'ｱ', L'語', L'\t'})
        widths.push_back(worker->UnitWidth(static_cast<char16_t>(unit)));
    }).join();
    GdiTextMeasure view(nullptr, font);
    size_t i = 0;
    for (wchar_t unit : {L'a', L'W', L'あ', L'ｱ', L'語', L'\t'})
      EXPECT_EQ(view.UnitWidth(static_cast<char16_t>(unit)), widths[i++]) << int(unit);
    EXPECT_GT(widths[0], 0);
  }
}

TEST_F(TextMeasureTest, AnotherFontIsMeasuredAnew) {
  HFONT large = CreateFontW(-40, 0, 0, 0, FW_NORMAL, 0, 0, 0, SHIFTJIS_CHARSET, 0, 0, 0,
                            FIXED_PITCH | FF_MODERN, L"IPAGothic");
  const int32_t small = GdiTextMeasure(nullptr, font_).UnitWidth(u'あ');
  const int32_t big = GdiTextMeasure(nullptr, large).UnitWidth(u'あ');
  EXPECT_GT(big, small);
  DeleteObject(large);
}

// A layout in pieces measures from its worker threads; with a font not measured before,
// every width is first taken there, and the lines still equal one thread's.
TEST_F(TextMeasureTest, LayoutInPiecesMeasuresFromItsThreadsAlike) {
  HFONT fresh = CreateFontW(-19, 0, 0, 0, FW_NORMAL, 0, 0, 0, SHIFTJIS_CHARSET, 0, 0, 0,
                            FIXED_PITCH | FF_MODERN, L"IPAGothic");
  std::u16string text;
  for (char16_t unit = 0x4E00; text.size() < 200000; ++unit) {
    text += unit;
    text += unit % 7 == 0 ? u"\r\n" : unit % 5 == 0 ? u"abc\t" : u"";
  }
  auto document = [&text] {
    Document d;
    d.textBuffer = std::make_unique<char16_t[]>(text.size() + 1);
    std::copy(text.begin(), text.end(), d.textBuffer.get());
    d.text = d.textBuffer.get();
    d.textLength = static_cast<int32_t>(text.size());
    return d;
  };
  const LayoutParameters parameters{8, 80, 1, 9, 640};
  Document pieces = document();
  {
    GdiTextMeasure measure(nullptr, fresh);
    LayoutDocumentInPieces(pieces, parameters, measure, 4);
  }
  Document alone = document();
  GdiTextMeasure measure(nullptr, fresh);
  LayoutDocumentOnOneThread(alone, parameters, measure);
  ASSERT_EQ(alone.displayLineCount, pieces.displayLineCount);
  for (int32_t n = 0; n <= alone.displayLineCount; ++n) {
    ASSERT_EQ(LineStart(alone, n), LineStart(pieces, n)) << n;
    ASSERT_EQ(alone.lineTable.LogicalOf(n), pieces.lineTable.LogicalOf(n)) << n;
  }
  DeleteObject(fresh);
}

}  // namespace
}  // namespace vemora
