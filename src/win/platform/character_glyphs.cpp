// Shaping a character of several units once per font: its glyphs and advances are kept for
// the life of the process, since painting asks again for every row on every paint and the
// layout's worker threads ask too.
#include "win/platform/character_glyphs.h"

#include <usp10.h>

#include <algorithm>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "win/platform/text_conversion.h"

namespace vemora {
namespace {

struct ShapedCharacter {
  bool byGlyph = false;  // drawn by glyph index, else by the text output of its units
  bool held = false;     // every glyph is a real glyph of the font, not its default one
  std::vector<WORD> glyphs;
  std::vector<int> advances;
  int32_t width = 0;
};

// Uniscribe's answer for the character in the font selected into `dc`, byGlyph when it
// could shape it at all.
ShapedCharacter ShapeInFont(HDC dc, std::u16string_view character) {
  ShapedCharacter shaped;
  const auto count = static_cast<int>(character.size());
  const WCHAR* units = AsWide(character.data());
  SCRIPT_ITEM items[8];
  int itemCount = 0;
  if (FAILED(ScriptItemize(units, count, 7, nullptr, nullptr, items, &itemCount)) || itemCount != 1)
    return shaped;
  const int room = count * 3 / 2 + 16;
  std::vector<WORD> glyphs(static_cast<size_t>(room));
  std::vector<WORD> clusters(static_cast<size_t>(count));
  std::vector<SCRIPT_VISATTR> attributes(static_cast<size_t>(room));
  std::vector<int> advances(static_cast<size_t>(room));
  std::vector<GOFFSET> offsets(static_cast<size_t>(room));
  SCRIPT_CACHE cache = nullptr;
  SCRIPT_FONTPROPERTIES properties{};
  properties.cBytes = sizeof properties;
  int glyphCount = 0;
  ABC abc{};
  const bool placed =
      SUCCEEDED(ScriptShape(dc, &cache, units, count, room, &items[0].a, glyphs.data(),
                            clusters.data(), attributes.data(), &glyphCount)) &&
      SUCCEEDED(ScriptGetFontProperties(dc, &cache, &properties)) &&
      SUCCEEDED(ScriptPlace(dc, &cache, glyphs.data(), glyphCount, attributes.data(), &items[0].a,
                            advances.data(), offsets.data(), &abc));
  ScriptFreeCache(&cache);
  if (!placed || glyphCount <= 0) return shaped;
  glyphs.resize(static_cast<size_t>(glyphCount));
  advances.resize(static_cast<size_t>(glyphCount));
  shaped.byGlyph = true;
  shaped.held = std::find(glyphs.begin(), glyphs.end(), properties.wgDefault) == glyphs.end();
  for (int advance : advances) shaped.width += advance;
  shaped.glyphs = std::move(glyphs);
  shaped.advances = std::move(advances);
  return shaped;
}

// The extent of the units in the current font; -1 when it cannot be measured.
int32_t Extent(HDC dc, std::u16string_view units) {
  SIZE extent{};
  if (!GetTextExtentPoint32W(dc, AsWide(units.data()), static_cast<int>(units.size()), &extent))
    return -1;
  return extent.cx;
}

// Characters are told apart by the font's description, not its handle (a handle can be
// reused for another font once the first is deleted), and by their units.
ShapedCharacter Shaped(HDC dc, std::u16string_view character) {
  static std::mutex mutex;
  static std::map<std::string, ShapedCharacter> cache;
  LOGFONTW description{};
  std::string key;
  HGDIOBJ font = GetCurrentObject(dc, OBJ_FONT);
  if (font && GetObjectW(font, sizeof description, &description) == sizeof description)
    key.assign(reinterpret_cast<const char*>(&description), sizeof description);
  key.append(reinterpret_cast<const char*>(character.data()), character.size() * 2);
  {
    const std::lock_guard<std::mutex> lock(mutex);
    if (auto found = cache.find(key); found != cache.end()) return found->second;
  }
  ShapedCharacter shaped = ShapeInFont(dc, character);
  if (!shaped.held) {
    // A character the font lacks is left to the system's text output, which may find it
    // in a linked font, unless that output takes the units apart (its extent is theirs
    // added up): then the font's default glyph once is the truer picture.
    const int32_t whole = Extent(dc, character);
    int32_t parts = 0;
    for (size_t i = 0; i < character.size() && parts >= 0; ++i) {
      const int32_t part = Extent(dc, character.substr(i, 1));
      parts = part < 0 ? -1 : parts + part;
    }
    if (whole < 0 || parts < 0) return ShapedCharacter{};  // not remembered: asked again
    if (whole != parts || !shaped.byGlyph) shaped = ShapedCharacter{false, false, {}, {}, whole};
  }
  const std::lock_guard<std::mutex> lock(mutex);
  return cache.emplace(std::move(key), std::move(shaped)).first->second;
}

}  // namespace

int32_t CharacterExtent(HDC dc, std::u16string_view character) {
  return Shaped(dc, character).width;
}

void DrawCharacter(HDC dc, int32_t x, int32_t y, UINT options, const RECT* clip,
                   std::u16string_view character) {
  const ShapedCharacter shaped = Shaped(dc, character);
  if (!shaped.byGlyph) {
    ExtTextOutW(dc, x, y, options, clip, AsWide(character.data()),
                static_cast<UINT>(character.size()), nullptr);
    return;
  }
  ExtTextOutW(dc, x, y, options | ETO_GLYPH_INDEX, clip,
              reinterpret_cast<const WCHAR*>(shaped.glyphs.data()),
              static_cast<UINT>(shaped.glyphs.size()), const_cast<INT*>(shaped.advances.data()));
}

}  // namespace vemora
