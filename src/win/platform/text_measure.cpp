// GDI measurement of single units with a per-font width cache.
#include "win/platform/text_measure.h"

#include <cstring>
#include <map>
#include <memory>
#include <string>

#include "win/platform/character_glyphs.h"

namespace vemora {
namespace {

constexpr int32_t kUnmeasured = -1;

// Fonts are told apart by their description, not by handle: a handle can be reused for
// another font once the first is deleted.
std::vector<int32_t>& WidthsFor(HFONT font) {
  static std::map<std::string, std::unique_ptr<std::vector<int32_t>>> cache;
  LOGFONTW description{};
  std::string key = "default";
  if (font && GetObjectW(font, sizeof(description), &description) == sizeof(description))
    key.assign(reinterpret_cast<const char*>(&description), sizeof(description));
  std::unique_ptr<std::vector<int32_t>>& widths = cache[key];
  if (!widths) widths = std::make_unique<std::vector<int32_t>>(65536, kUnmeasured);
  return *widths;
}

}  // namespace

GdiTextMeasure::GdiTextMeasure(HWND view, HFONT font)
    : view_(view), font_(font), widths_(&WidthsFor(font)) {
  // Taken here, on the thread that releases it: a large layout measures from its worker
  // threads, and a context must be released by the thread that took it.
  Context();
}

GdiTextMeasure::~GdiTextMeasure() {
  if (!dc_) return;
  if (previousFont_) SelectObject(dc_, previousFont_);
  ReleaseDC(view_, dc_);
}

HDC GdiTextMeasure::Context() {
  if (!dc_) {
    dc_ = GetDC(view_);
    if (dc_ && font_) previousFont_ = SelectObject(dc_, font_);
  }
  return dc_;
}

int32_t GdiTextMeasure::UnitWidth(char16_t unit) {
  int32_t& width = (*widths_)[unit];
  if (width == kUnmeasured) {
    const wchar_t text[1] = {static_cast<wchar_t>(unit)};
    SIZE extent{};
    HDC dc = Context();
    // A failed measurement is not remembered: the next layout asks again.
    if (!dc || !GetTextExtentPoint32W(dc, text, 1, &extent)) return 0;
    width = extent.cx;
  }
  return width;
}

int32_t GdiTextMeasure::CharacterWidth(std::u16string_view character) {
  HDC dc = Context();
  return dc ? CharacterExtent(dc, character) : 0;
}

int32_t GdiTextMeasure::AverageCharWidth() {
  SIZE extent{};
  HDC dc = Context();
  if (!dc || !GetTextExtentPoint32W(dc, L"aAjJ,_", 6, &extent)) return 0;
  return extent.cx / 6;
}

namespace {

class WorkerTextMeasure final : public TextMeasure {
 public:
  explicit WorkerTextMeasure(HFONT font)
      : hasFont_(font &&
                 GetObjectW(font, sizeof(description_), &description_) == sizeof(description_)),
        widths_(65536, kUnmeasured) {}
  ~WorkerTextMeasure() override {
    if (!dc_) return;
    if (previousFont_) SelectObject(dc_, previousFont_);
    if (font_) DeleteObject(font_);
    DeleteDC(dc_);
  }
  WorkerTextMeasure(const WorkerTextMeasure&) = delete;
  WorkerTextMeasure& operator=(const WorkerTextMeasure&) = delete;

  int32_t UnitWidth(char16_t unit) override {
    int32_t& width = widths_[unit];
    if (width != kUnmeasured) return width;
    const wchar_t text[1] = {static_cast<wchar_t>(unit)};
    SIZE extent{};
    if (!Context() || !GetTextExtentPoint32W(dc_, text, 1, &extent)) return 0;
    width = extent.cx;
    return width;
  }

  int32_t CharacterWidth(std::u16string_view character) override {
    return Context() ? CharacterExtent(dc_, character) : 0;
  }

 private:
  HDC Context() {
    if (!dc_) {
      dc_ = CreateCompatibleDC(nullptr);
      if (dc_ && hasFont_) font_ = CreateFontIndirectW(&description_);
      if (dc_ && font_) previousFont_ = SelectObject(dc_, font_);
    }
    return dc_;
  }

  LOGFONTW description_{};
  bool hasFont_;
  std::vector<int32_t> widths_;
  HDC dc_ = nullptr;
  HFONT font_ = nullptr;
  HGDIOBJ previousFont_ = nullptr;
};

}  // namespace

std::shared_ptr<TextMeasure> MakeWorkerTextMeasure(HFONT font) {
  return std::make_shared<WorkerTextMeasure>(font);
}

}  // namespace vemora
