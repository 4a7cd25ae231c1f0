// A character outside the BMP in the view: one glyph of the font, as wide as a full-width
// character, in the painted pixels and in the wrapping of both wrap modes.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "win/shell/app_state.h"
#include "win/shell/document_actions.h"
#include "core/keys/commands.h"
#include "win/platform/text_conversion.h"
#include "win/view/view_paint.h"
#include "canvas.h"
#include "viewer_host.h"

namespace vemora::testing {
namespace {

constexpr COLORREF kBack = RGB(255, 255, 255);
constexpr COLORREF kText = RGB(0, 0, 0);
constexpr char16_t kKichi[] = u"\U00020BB7";  // 𠮷, in IPAmj Mincho (fonts-ipamj-mincho)
constexpr char16_t kHoldingFont[] = u"IPAmj明朝";

// The text as a UTF-16 little-endian file with its byte-order mark.
std::string Utf16File(std::u16string_view text) {
  std::string bytes = "\xFF\xFE";
  for (char16_t unit : text) {
    bytes += static_cast<char>(unit & 0xFF);
    bytes += static_cast<char>(unit >> 8);
  }
  return bytes;
}

class PairInTheView : public ::testing::Test {
 protected:
  // Shows the text in black on white without marks, in `face` (the default font when
  // empty), wrapped at `fold` columns or, with 0, at the window's edge.
  void Show(std::u16string_view text, std::u16string_view face, int fold) {
    if (!host_.Running()) {
      ASSERT_TRUE(host_.Start(L""));
    }
    FileTypeSetting& type = gFileTypes.entries[0];
    type.BackCol = kBack, type.TextCol = kText, type.Cr = 0, type.TabMark = 0;
    type.FoldRight = fold == 0 ? 1 : 0;
    type.Fold = fold == 0 ? type.Fold : fold;
    type.Font = DefaultFont();
    if (!face.empty()) type.Font.SetFaceName(face);
    OpenDocument(ToUtf16(host_.Folder().Write(L"pair.txt", Utf16File(text))), 0, -1);
    host_.Pump();
    ASSERT_NE(CurrentDocument(), nullptr);
  }
  int Extent(std::u16string_view text) {
    HDC dc = GetDC(gShell.viewWindow);
    HGDIOBJ previous = SelectObject(dc, gView.ViewFont);
    SIZE size{};
    GetTextExtentPoint32W(dc, reinterpret_cast<const wchar_t*>(text.data()),
                          static_cast<int>(text.size()), &size);
    SelectObject(dc, previous);
    ReleaseDC(gShell.viewWindow, dc);
    return size.cx;
  }
  ViewerHost host_;
};

TEST_F(PairInTheView, DrawsAsOneGlyphOfAFontThatHoldsIt) {
  Show(std::u16string(u"a") + kKichi + u"b\r\n", kHoldingFont, 80);
  const int h = gView.CharHeight, full = Extent(u"あ");
  const int pairX = kViewMargin + Extent(u"a"), bX = pairX + full;
  const Canvas view(gShell.viewWindow, PaintView);
  // One full-width cell: "b" follows right after it, and nothing after "b".
  EXPECT_GT(view.Count(kText, bX, 0, bX + Extent(u"b"), h), 0);
  EXPECT_EQ(view.Count(kBack, bX + Extent(u"b"), 0, view.width, h),
            (view.width - bX - Extent(u"b")) * h);
  // Drawn in its cell, and not as the box the font shows for a glyph it lacks.
  const Canvas box(gShell.viewWindow, [&](HDC dc) {
    RECT client{0, 0, view.width, view.height};
    FillRect(dc, &client, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    HGDIOBJ previous = SelectObject(dc, gView.ViewFont);
    const WORD missing = 0;
    ExtTextOutW(dc, pairX, 0, ETO_GLYPH_INDEX, nullptr, reinterpret_cast<const wchar_t*>(&missing),
                1, nullptr);
    SelectObject(dc, previous);
  });
  const int inked = full * h - view.Count(kBack, pairX, 0, bX, h);
  EXPECT_GT(inked, full) << "the glyph has strokes";
  int differing = 0;
  for (int y = 0; y < h; ++y)
    for (int x = pairX; x < bX; ++x) differing += view.At(x, y) != box.At(x, y);
  EXPECT_GT(differing, inked / 4) << "a glyph of its own, not the missing-glyph box";
}

// A drag ends before the pair while the pointer is on it, after it once past its one
// full-width cell; the copy holds the pair whole or not at all.
TEST_F(PairInTheView, ADragSelectsAndCopiesThePairWhole) {
  Show(std::u16string(u"a") + kKichi + u"b\r\n", kHoldingFont, 80);
  const int full = Extent(u"あ"), pairX = kViewMargin + Extent(u"a");
  const struct {
    int x;
    std::wstring copied;
  } cases[] = {
      {pairX + 1, L"a"},
      {pairX + full - 1, L"a"},
      {pairX + full + 1, L"a\U00020BB7"},
      {pairX + full + Extent(u"b") + 1, L"a\U00020BB7b"},
  };
  for (const auto& c : cases) {
    SendMessageW(gShell.viewWindow, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(0, 2));
    SendMessageW(gShell.viewWindow, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(c.x, 2));
    SendMessageW(gShell.viewWindow, WM_LBUTTONUP, 0, MAKELPARAM(c.x, 2));
    host_.Pump();
    host_.Command(CmdCopy);
    EXPECT_EQ(ClipboardText(), c.copied) << c.x - pairX << " pixels into the pair";
  }
}

// "a" and six pairs at 4 columns make 4 display lines in the default font (whose
// missing-glyph box is one full-width cell), and in every font and both wrap modes a pair
// wraps exactly as a full-width kana does.
TEST_F(PairInTheView, WrapsAsAFullWidthCharacter) {
  std::u16string pairs = u"a", kana = u"a";
  for (int i = 0; i < 6; ++i) pairs += kKichi, kana += u"あ";
  Show(pairs, u"", 4);
  EXPECT_EQ(CurrentDocument()->displayLineCount, 4);
  std::u16string manyPairs, manyKana;
  for (int i = 0; i < 150; ++i) manyPairs += kKichi, manyKana += u"あ";
  for (const std::u16string_view face : {std::u16string_view(), std::u16string_view(kHoldingFont)})
    for (const int fold : {4, 7, 0}) {
      Show(fold ? pairs : manyPairs, face, fold);
      const int32_t withPairs = CurrentDocument()->displayLineCount;
      Show(fold ? kana : manyKana, face, fold);
      EXPECT_EQ(withPairs, CurrentDocument()->displayLineCount)
          << (face.empty() ? "default font" : "IPAmj") << ", fold " << fold;
      EXPECT_GT(withPairs, 1);
    }
}

}  // namespace
}  // namespace vemora::testing
