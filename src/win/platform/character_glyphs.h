// Characters of several UTF-16 units (surrogate pairs) in a GDI font, measured and drawn
// as one. Some systems' text output maps each unit to a glyph of its own (Wine draws a
// pair as two boxes even in a font that holds the character), so a character the font
// holds is shaped with Uniscribe and drawn by its glyph. One the font lacks is left to the
// text output of its units together, which may take it from a linked font, unless that
// output takes them apart: then it is the font's default glyph, once.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string_view>

namespace vemora {

// Width in pixels of the character in the font selected into `dc`.
int32_t CharacterExtent(HDC dc, std::u16string_view character);

// Draws the character at (x, y) as ExtTextOutW would draw its units, with `options`
// (ETO_CLIPPED, ETO_OPAQUE) and `clip`, in the current colours and background mode.
void DrawCharacter(HDC dc, int32_t x, int32_t y, UINT options, const RECT* clip,
                   std::u16string_view character);

}  // namespace vemora
