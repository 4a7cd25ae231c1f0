// Conversions between the portable font record and LOGFONTW.
#include "win/platform/font_conversion.h"

#include <algorithm>

namespace vemora {

static_assert(LF_FACESIZE == FontRecord::kFaceNameSize, "face names must fit both records");

LOGFONTW ToLogFont(const FontRecord& font) {
  LOGFONTW logFont{};
  logFont.lfHeight = font.height;
  logFont.lfWidth = font.width;
  logFont.lfEscapement = font.escapement;
  logFont.lfOrientation = font.orientation;
  logFont.lfWeight = font.weight;
  logFont.lfItalic = font.italic;
  logFont.lfUnderline = font.underline;
  logFont.lfStrikeOut = font.strikeOut;
  logFont.lfCharSet = font.charSet;
  logFont.lfOutPrecision = font.outPrecision;
  logFont.lfClipPrecision = font.clipPrecision;
  logFont.lfQuality = font.quality;
  logFont.lfPitchAndFamily = font.pitchAndFamily;
  std::copy(font.faceName.begin(), font.faceName.end(), logFont.lfFaceName);
  logFont.lfFaceName[LF_FACESIZE - 1] = L'\0';
  return logFont;
}

FontRecord FromLogFont(const LOGFONTW& logFont) {
  FontRecord font;
  font.height = logFont.lfHeight;
  font.width = logFont.lfWidth;
  font.escapement = logFont.lfEscapement;
  font.orientation = logFont.lfOrientation;
  font.weight = logFont.lfWeight;
  font.italic = logFont.lfItalic;
  font.underline = logFont.lfUnderline;
  font.strikeOut = logFont.lfStrikeOut;
  font.charSet = logFont.lfCharSet;
  font.outPrecision = logFont.lfOutPrecision;
  font.clipPrecision = logFont.lfClipPrecision;
  font.quality = logFont.lfQuality;
  font.pitchAndFamily = logFont.lfPitchAndFamily;
  const wchar_t* end = std::find(logFont.lfFaceName, logFont.lfFaceName + LF_FACESIZE, L'\0');
  font.SetFaceName(std::u16string(logFont.lfFaceName, end));
  return font;
}

}  // namespace vemora
