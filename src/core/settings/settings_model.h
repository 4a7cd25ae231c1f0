// The settings every part of the viewer reads: the global options and the per-file-type
// records with their built-in defaults. Fields carry the names they are stored under.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "core/keys/key_binding.h"

namespace vemora {

// Windows' "let the system choose" window coordinate; stored as -2147483648.
inline constexpr int32_t kUseDefaultPosition = static_cast<int32_t>(0x80000000u);

using ColorRef = uint32_t;  // red in the lowest byte, then green, then blue
constexpr ColorRef Rgb(uint8_t red, uint8_t green, uint8_t blue) {
  return static_cast<ColorRef>(red) | (static_cast<ColorRef>(green) << 8) |
         (static_cast<ColorRef>(blue) << 16);
}

// A multi-string: the entries of a list stored as texts each ended by a terminator.
using StringList = std::vector<std::u16string>;

// The fields of a Win32 LOGFONTW, kept portable; src/win converts it.
struct FontRecord {
  static constexpr int32_t kFaceNameSize = 32;  // 31 characters and the terminator
  int32_t height = 0;
  int32_t width = 0;
  int32_t escapement = 0;
  int32_t orientation = 0;
  int32_t weight = 0;
  uint8_t italic = 0;
  uint8_t underline = 0;
  uint8_t strikeOut = 0;
  uint8_t charSet = 0;
  uint8_t outPrecision = 0;
  uint8_t clipPrecision = 0;
  uint8_t quality = 0;
  uint8_t pitchAndFamily = 0;
  std::array<char16_t, kFaceNameSize> faceName{};

  std::u16string FaceName() const;
  void SetFaceName(std::u16string_view name);  // cut to 31 characters
  friend bool operator==(const FontRecord&, const FontRecord&) = default;
};

FontRecord DefaultFont();

struct AppOptions {
  int32_t WinPosX = kUseDefaultPosition;
  int32_t WinPosY = 0;
  int32_t WinWidth = kUseDefaultPosition;
  int32_t WinHeight = 0;
  int32_t Maximize = 0;
  int32_t PosSave = 0;
  int32_t SizeSave = 1;
  int32_t Tbar = 1;
  int32_t Sbar = 1;
  int32_t Reg = 0;
  std::u16string Quote = u">";  // at most 20 characters
  int32_t Bell = 1;
  int32_t HistNum = 5;  // 0 to 20
  int32_t Caret = 0;
  int32_t SmLine = 0;
  int32_t SmPage = 0;
  int32_t SmRare = 15;  // 1 to 30
  // The key table: `Keys` entries in KeyTable; the capacity grows by 10 when an entry is
  // added to a full table. Empty until the settings are loaded or a preset is chosen.
  int32_t Keys = 0;
  std::vector<KeyBinding> KeyTable;
  int32_t keyTableCapacity = 0;
  StringList Hist;  // file history, at most 5221 characters with terminators
  int32_t Caps = 0;
  int32_t Regx = 0;
  StringList FindHist;  // at most 811 characters with terminators

  friend bool operator==(const AppOptions&, const AppOptions&) = default;
};

inline constexpr int32_t kQuoteCapacity = 21;
inline constexpr int32_t kHistCapacity = 5221;
inline constexpr int32_t kFindHistCapacity = 811;
inline constexpr int32_t kNameCapacity = 41;
inline constexpr int32_t kExtCapacity = 501;
inline constexpr int32_t kEditorCapacity = 261;
// Whatever the browse button can put there (260 characters) loads back as it was saved.
inline constexpr int32_t kEditorLoadCapacity = kEditorCapacity;
// The oldest stores held only the editor's path, to which loading adds " $K $F": what
// loads must leave room for that within the field.
inline constexpr int32_t kOldestEditorLoadCapacity = kEditorCapacity - 6;
inline constexpr int32_t kEditorOptionCapacity = 21;

struct FileTypeSetting {
  std::u16string Name = u"共通設定";  // at most 40 characters
  StringList Ext;                     // wildcard patterns; never used for entry 0
  int32_t Tab = 8;                    // 2 to 16
  int32_t Fold = 80;                  // 5 to 260
  int32_t LineSp = 5;                 // 0 to 99
  int32_t Cr = 1;
  int32_t TabMark = 0;
  int32_t HanSpcMark = 0;
  int32_t ZenSpcMark = 0;
  int32_t LineNum = 0;
  int32_t LineType = 0;  // 0 display lines, 1 logical lines
  int32_t FoldRight = 1;
  FontRecord Font = DefaultFont();
  ColorRef TextCol = Rgb(0, 0, 0);
  ColorRef HighCol = Rgb(255, 0, 0);
  ColorRef BackCol = Rgb(255, 255, 255);
  ColorRef FindCol = Rgb(128, 255, 255);
  ColorRef CtrlCol = Rgb(128, 128, 128);
  ColorRef CrCol = Rgb(128, 128, 128);
  ColorRef TabCol = Rgb(128, 128, 128);
  ColorRef HanSpcCol = Rgb(128, 128, 128);
  ColorRef ZenSpcCol = Rgb(128, 128, 128);
  int32_t ToolType = 0;  // 0 associated program, 1 the command line in Editor
  int32_t EditClose = 0;
  int32_t EditReload = 0;
  std::u16string Editor = u"notepad $F";
  std::u16string EdOptEUC;
  std::u16string EdOptJIS;
  std::u16string EdOptSJIS;
  std::u16string EdOptUTF16;
  std::u16string EdOptUTF16BE;
  std::u16string EdOptUTF8;
  std::u16string EdOptUTF7;

  friend bool operator==(const FileTypeSetting&, const FileTypeSetting&) = default;
};

// The built-in record: the source of every new entry.
const FileTypeSetting& DefaultFileTypeSetting();

// The ordered file-type list; entry 0 is the common settings "共通設定".
struct FileTypeSettingList {
  std::vector<FileTypeSetting> entries;  // the count (stored as ExtSet) is entries.size()
  int32_t capacity = 10;                 // grows in steps of 10; never below the count
  int32_t countAsLoaded = 0;             // count read at start; the saver removes keys beyond

  int32_t Count() const { return static_cast<int32_t>(entries.size()); }
  friend bool operator==(const FileTypeSettingList&, const FileTypeSettingList&) = default;
};

// Before loading: default options, an empty key table, an empty list with capacity 10.
void ResetSettings(AppOptions& options, FileTypeSettingList& list);

// When nothing is stored: one copy of the built-in record (capacity stays 10).
void UseBuiltInFileTypes(FileTypeSettingList& list);

}  // namespace vemora
