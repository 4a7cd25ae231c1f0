// The loader and the saver of all settings, written once against SettingsStore.
#include "core/settings/settings_io.h"

#include <algorithm>
#include <limits>

#include "core/keys/file_history.h"
#include "core/keys/key_table.h"
#include "core/settings/settings_roots.h"

namespace vemora {
namespace {

constexpr int32_t kFontTextCapacity = 256;
constexpr int kFontNumberCount = 13;
constexpr size_t kKeyBindingSize = 6;
constexpr int32_t kAnyInt = std::numeric_limits<int32_t>::min();
constexpr int32_t kMaxInt = std::numeric_limits<int32_t>::max();

std::u16string Ascii(std::string_view text) {
  return std::u16string(text.begin(), text.end());
}

std::u16string EntryKeyName(int32_t index) {
  return u"Ext" + Ascii(std::to_string(index));
}

// Values outside a field's limits would break the parts that read it; they leave the
// field as it was.
void ReadInt(SettingsStore& store, SettingsKey key, std::u16string_view name, int32_t& field,
             int32_t low = kAnyInt, int32_t high = kMaxInt) {
  int32_t value = 0;
  if (store.ReadInt(key, name, value) && value >= low && value <= high) field = value;
}

void ReadFlag(SettingsStore& store, SettingsKey key, std::u16string_view name, int32_t& field) {
  ReadInt(store, key, name, field, 0, 1);
}

// Only three bytes carry the colour; a longer or damaged value must not make GDI read
// the top byte as a palette index.
void ReadColor(SettingsStore& store, SettingsKey key, std::u16string_view name, ColorRef& field) {
  std::vector<uint8_t> bytes;
  if (!store.ReadBytes(key, name, bytes, 4) || bytes.size() < 4) return;
  field = Rgb(bytes[0], bytes[1], bytes[2]);
}

void WriteColor(SettingsStore& store, SettingsKey key, std::u16string_view name, ColorRef color) {
  const uint8_t bytes[4] = {static_cast<uint8_t>(color), static_cast<uint8_t>(color >> 8),
                            static_cast<uint8_t>(color >> 16), static_cast<uint8_t>(color >> 24)};
  store.WriteBytes(key, name, bytes);
}

// A stored font that cannot be parsed leaves an all-zero font: the system then chooses.
void ReadFont(SettingsStore& store, SettingsKey key, FontRecord& font) {
  std::u16string text;
  if (store.ReadString(key, u"Font", text, kFontTextCapacity)) {
    font = ParseFontRecord(text).value_or(FontRecord{});
  }
}

// The stored table, when it is whole: a count above 0 and exactly that many entries.
bool ReadStoredKeyTable(SettingsStore& store, SettingsKey optionsKey,
                        std::vector<KeyBinding>& entries) {
  int32_t keys = 0;
  if (!store.ReadInt(optionsKey, u"Keys", keys) || keys <= 0) return false;
  const uint64_t wanted = static_cast<uint64_t>(keys) * kKeyBindingSize;
  if (wanted >= std::numeric_limits<size_t>::max()) return false;
  std::vector<uint8_t> bytes;
  // One byte more than wanted tells a longer table from a whole one.
  if (!store.ReadBytes(optionsKey, u"KeyTable", bytes, static_cast<size_t>(wanted) + 1) ||
      bytes.size() != wanted) {
    return false;
  }
  entries.resize(static_cast<size_t>(keys));
  for (size_t i = 0; i < entries.size(); ++i) {
    const uint8_t* b = &bytes[i * kKeyBindingSize];
    entries[i] = {b[0], b[1], static_cast<uint16_t>(b[2] | (b[3] << 8)),
                  static_cast<uint16_t>(b[4] | (b[5] << 8))};
  }
  return true;
}

// Older versions named a preset in UI instead of keeping a table. A table that is
// missing, empty or torn is taken as damage and replaced the same way, so that the
// user is never left without keys.
void ReadKeyTable(SettingsStore& store, SettingsKey optionsKey, int32_t version,
                  AppOptions& options) {
  std::vector<KeyBinding> entries;
  if (version >= kSettingsVersion && ReadStoredKeyTable(store, optionsKey, entries)) {
    SetKeyTable(options, entries);
    return;
  }
  int32_t preset = 0;
  ReadInt(store, optionsKey, u"UI", preset);
  LoadKeyPreset(options, preset);
}

std::vector<uint8_t> KeyTableBytes(const std::vector<KeyBinding>& table) {
  std::vector<uint8_t> bytes;
  bytes.reserve(table.size() * kKeyBindingSize);
  for (const KeyBinding& entry : table) {
    bytes.insert(bytes.end(),
                 {entry.flags, entry.reserved, static_cast<uint8_t>(entry.key),
                  static_cast<uint8_t>(entry.key >> 8), static_cast<uint8_t>(entry.command),
                  static_cast<uint8_t>(entry.command >> 8)});
  }
  return bytes;
}

// Display values that versions before per-file-type settings kept for all files.
struct LegacyValues {
  FontRecord font = DefaultFileTypeSetting().Font;
  ColorRef TextCol = Rgb(0, 0, 0);
  ColorRef HighCol = Rgb(255, 0, 0);
  ColorRef BackCol = Rgb(255, 255, 255);
  ColorRef CtrlCol = Rgb(0, 0, 255);
  ColorRef FindCol = Rgb(128, 128, 128);
  int32_t LineNum = 0;
  int32_t LineType = 0;
};

LegacyValues ReadLegacyValues(SettingsStore& store, SettingsKey optionsKey) {
  LegacyValues legacy;
  ReadFont(store, optionsKey, legacy.font);
  ReadColor(store, optionsKey, u"TextCol", legacy.TextCol);
  ReadColor(store, optionsKey, u"HighCol", legacy.HighCol);
  ReadColor(store, optionsKey, u"BackCol", legacy.BackCol);
  ReadColor(store, optionsKey, u"CtrlCol", legacy.CtrlCol);
  ReadColor(store, optionsKey, u"FindCol", legacy.FindCol);
  ReadFlag(store, optionsKey, u"LineNum", legacy.LineNum);
  ReadInt(store, optionsKey, u"LineType", legacy.LineType, 0, 1);
  return legacy;
}

void ReadOptions(SettingsStore& store, SettingsKey key, int32_t version, AppOptions& options) {
  ReadInt(store, key, u"WinPosX", options.WinPosX);
  ReadInt(store, key, u"WinPosY", options.WinPosY);
  ReadInt(store, key, u"WinWidth", options.WinWidth);
  ReadInt(store, key, u"WinHeight", options.WinHeight);
  ReadFlag(store, key, u"Maximize", options.Maximize);
  ReadFlag(store, key, u"PosSave", options.PosSave);
  // A store without SizeSave keeps the size exactly when it keeps the position.
  options.SizeSave = options.PosSave;
  ReadFlag(store, key, u"SizeSave", options.SizeSave);
  ReadFlag(store, key, u"Tbar", options.Tbar);
  ReadFlag(store, key, u"Sbar", options.Sbar);
  ReadFlag(store, key, u"Reg", options.Reg);
  store.ReadString(key, u"Quote", options.Quote, kQuoteCapacity);
  ReadFlag(store, key, u"Bell", options.Bell);
  ReadInt(store, key, u"HistNum", options.HistNum, 0, kMaxHistoryEntries);
  ReadFlag(store, key, u"Caret", options.Caret);
  ReadFlag(store, key, u"SmLine", options.SmLine);
  ReadFlag(store, key, u"SmPage", options.SmPage);
  ReadInt(store, key, u"SmRare", options.SmRare, 1, 30);
  ReadKeyTable(store, key, version, options);
  store.ReadStringList(key, u"Hist", options.Hist, kHistCapacity);
  ReadFlag(store, key, u"Caps", options.Caps);
  ReadFlag(store, key, u"Regx", options.Regx);
  store.ReadStringList(key, u"FindHist", options.FindHist, kFindHistCapacity);
}

void ReadFileType(SettingsStore& store, SettingsKey key, int32_t version,
                  const LegacyValues& legacy, FileTypeSetting& entry) {
  entry.FoldRight = 0;  // older entries wrapped at their column
  entry.TextCol = legacy.TextCol;
  entry.HighCol = legacy.HighCol;
  entry.BackCol = legacy.BackCol;
  entry.CtrlCol = legacy.CtrlCol;
  entry.FindCol = legacy.FindCol;
  entry.Font = legacy.font;
  entry.LineNum = legacy.LineNum;
  entry.LineType = legacy.LineType;

  store.ReadString(key, u"Name", entry.Name, kNameCapacity);
  if (version >= 90) {
    store.ReadStringList(key, u"Ext", entry.Ext, kExtCapacity);
  } else {
    // Older stores held bare extensions ("txt"); they become patterns ("*.txt").
    StringList extensions;
    if (store.ReadStringList(key, u"Ext", extensions, kExtCapacity)) {
      std::u16string pieces;
      for (const std::u16string& extension : extensions) pieces += u"*." + extension + u'\0';
      entry.Ext = StringListFromPieces(pieces, kExtCapacity);
    }
  }
  ReadInt(store, key, u"Tab", entry.Tab, 2, 16);
  ReadInt(store, key, u"Fold", entry.Fold, 5, 260);
  ReadInt(store, key, u"LineSp", entry.LineSp, 0, 99);
  ReadFlag(store, key, u"Cr", entry.Cr);
  ReadFlag(store, key, u"TabMark", entry.TabMark);
  ReadFlag(store, key, u"HanSpcMark", entry.HanSpcMark);
  ReadFlag(store, key, u"ZenSpcMark", entry.ZenSpcMark);
  ReadFlag(store, key, u"LineNum", entry.LineNum);
  ReadInt(store, key, u"LineType", entry.LineType, 0, 1);
  ReadFlag(store, key, u"FoldRight", entry.FoldRight);
  ReadFont(store, key, entry.Font);
  ReadColor(store, key, u"TextCol", entry.TextCol);
  ReadColor(store, key, u"HighCol", entry.HighCol);
  ReadColor(store, key, u"BackCol", entry.BackCol);
  ReadColor(store, key, u"FindCol", entry.FindCol);
  ReadColor(store, key, u"CtrlCol", entry.CtrlCol);
  // Stores without mark colours drew the marks in the control-character colour.
  entry.CrCol = entry.TabCol = entry.HanSpcCol = entry.ZenSpcCol = entry.CtrlCol;
  ReadColor(store, key, u"CrCol", entry.CrCol);
  ReadColor(store, key, u"TabCol", entry.TabCol);
  ReadColor(store, key, u"HanSpcCol", entry.HanSpcCol);
  ReadColor(store, key, u"ZenSpcCol", entry.ZenSpcCol);
  if (version >= 91) {
    ReadInt(store, key, u"ToolType", entry.ToolType, 0, 1);
    ReadFlag(store, key, u"EditClose", entry.EditClose);
    ReadFlag(store, key, u"EditReload", entry.EditReload);
    // The whole field: this version saves up to 260 characters (the dialog's and the
    // upgrade's), and a value it saved must come back.
    store.ReadString(key, u"Editor", entry.Editor, kEditorCapacity);
    store.ReadString(key, u"EdOptEUC", entry.EdOptEUC, kEditorOptionCapacity);
    store.ReadString(key, u"EdOptJIS", entry.EdOptJIS, kEditorOptionCapacity);
    store.ReadString(key, u"EdOptSJIS", entry.EdOptSJIS, kEditorOptionCapacity);
    store.ReadString(key, u"EdOptUTF16", entry.EdOptUTF16, kEditorOptionCapacity);
    store.ReadString(key, u"EdOptUTF16BE", entry.EdOptUTF16BE, kEditorOptionCapacity);
    store.ReadString(key, u"EdOptUTF8", entry.EdOptUTF8, kEditorOptionCapacity);
    store.ReadString(key, u"EdOptUTF7", entry.EdOptUTF7, kEditorOptionCapacity);
  } else {
    // Older versions always started their editor with a command line.
    entry.ToolType = 1;
    ReadFlag(store, key, u"EditClose", entry.EditClose);
    ReadFlag(store, key, u"EditReload", entry.EditReload);
    const bool hasEditor =
        store.ReadString(key, u"Editor", entry.Editor,
                         version == 0 ? kOldestEditorLoadCapacity : kEditorLoadCapacity);
    store.ReadString(key, u"EdOptEUC", entry.EdOptEUC, kEditorOptionCapacity);
    store.ReadString(key, u"EdOptJIS", entry.EdOptJIS, kEditorOptionCapacity);
    store.ReadString(key, u"EdOptSJIS", entry.EdOptSJIS, kEditorOptionCapacity);
    // The oldest stores held only the editor's path.
    if (version == 0 && hasEditor) entry.Editor += u" $K $F";
  }
}

void WriteOptions(SettingsStore& store, SettingsKey key, const AppOptions& options, int32_t count) {
  store.WriteInt(key, u"WinPosX", options.WinPosX);
  store.WriteInt(key, u"WinPosY", options.WinPosY);
  store.WriteInt(key, u"WinWidth", options.WinWidth);
  store.WriteInt(key, u"WinHeight", options.WinHeight);
  store.WriteInt(key, u"Maximize", options.Maximize);
  store.WriteInt(key, u"PosSave", options.PosSave);
  store.WriteInt(key, u"SizeSave", options.SizeSave);
  store.WriteInt(key, u"Tbar", options.Tbar);
  store.WriteInt(key, u"Sbar", options.Sbar);
  store.WriteInt(key, u"Reg", options.Reg);
  store.WriteString(key, u"Quote", options.Quote);
  store.WriteInt(key, u"Bell", options.Bell);
  store.WriteInt(key, u"HistNum", options.HistNum);
  store.WriteInt(key, u"Caret", options.Caret);
  store.WriteInt(key, u"SmLine", options.SmLine);
  store.WriteInt(key, u"SmPage", options.SmPage);
  store.WriteInt(key, u"SmRare", options.SmRare);
  store.WriteInt(key, u"Keys", static_cast<int32_t>(options.KeyTable.size()));
  store.WriteBytes(key, u"KeyTable", KeyTableBytes(options.KeyTable));
  const size_t histCount = std::min<size_t>(options.Hist.size(), kMaxHistoryEntries);
  store.WriteStringList(
      key, u"Hist",
      StringList(options.Hist.begin(), options.Hist.begin() + static_cast<ptrdiff_t>(histCount)));
  store.WriteInt(key, u"Caps", options.Caps);
  store.WriteInt(key, u"Regx", options.Regx);
  store.WriteStringList(key, u"FindHist", options.FindHist);
  store.WriteInt(key, u"ExtSet", count);
}

void WriteFileType(SettingsStore& store, SettingsKey key, const FileTypeSetting& entry) {
  store.WriteString(key, u"Name", entry.Name);
  store.WriteStringList(key, u"Ext", entry.Ext);
  store.WriteInt(key, u"Tab", entry.Tab);
  store.WriteInt(key, u"Fold", entry.Fold);
  store.WriteInt(key, u"LineSp", entry.LineSp);
  store.WriteInt(key, u"Cr", entry.Cr);
  store.WriteInt(key, u"TabMark", entry.TabMark);
  store.WriteInt(key, u"HanSpcMark", entry.HanSpcMark);
  store.WriteInt(key, u"ZenSpcMark", entry.ZenSpcMark);
  store.WriteInt(key, u"LineNum", entry.LineNum);
  store.WriteInt(key, u"LineType", entry.LineType);
  store.WriteInt(key, u"FoldRight", entry.FoldRight);
  store.WriteString(key, u"Font", FormatFontRecord(entry.Font));
  WriteColor(store, key, u"TextCol", entry.TextCol);
  WriteColor(store, key, u"HighCol", entry.HighCol);
  WriteColor(store, key, u"BackCol", entry.BackCol);
  WriteColor(store, key, u"FindCol", entry.FindCol);
  WriteColor(store, key, u"CtrlCol", entry.CtrlCol);
  WriteColor(store, key, u"CrCol", entry.CrCol);
  WriteColor(store, key, u"TabCol", entry.TabCol);
  WriteColor(store, key, u"HanSpcCol", entry.HanSpcCol);
  WriteColor(store, key, u"ZenSpcCol", entry.ZenSpcCol);
  store.WriteInt(key, u"ToolType", entry.ToolType);
  store.WriteInt(key, u"EditClose", entry.EditClose);
  store.WriteInt(key, u"EditReload", entry.EditReload);
  store.WriteString(key, u"Editor", entry.Editor);
  store.WriteString(key, u"EdOptEUC", entry.EdOptEUC);
  store.WriteString(key, u"EdOptJIS", entry.EdOptJIS);
  store.WriteString(key, u"EdOptSJIS", entry.EdOptSJIS);
  store.WriteString(key, u"EdOptUTF16", entry.EdOptUTF16);
  store.WriteString(key, u"EdOptUTF16BE", entry.EdOptUTF16BE);
  store.WriteString(key, u"EdOptUTF8", entry.EdOptUTF8);
  store.WriteString(key, u"EdOptUTF7", entry.EdOptUTF7);
}

bool IsSpace(char16_t c) {
  return c == u' ' || (c >= u'\t' && c <= u'\r');
}

// One "%d" conversion: leading white space, a sign, at least one digit; saturating.
bool ScanInt(std::u16string_view text, size_t& position, int64_t& value) {
  while (position < text.size() && IsSpace(text[position])) ++position;
  bool negative = false;
  if (position < text.size() && (text[position] == u'-' || text[position] == u'+')) {
    negative = text[position++] == u'-';
  }
  const size_t digitsStart = position;
  value = 0;
  for (; position < text.size() && text[position] >= u'0' && text[position] <= u'9'; ++position) {
    value = std::min<int64_t>(value * 10 + (text[position] - u'0'), int64_t{1} << 32);
  }
  if (position == digitsStart) return false;
  if (negative) value = -value;
  return true;
}

int32_t Saturate(int64_t value) {
  return static_cast<int32_t>(std::clamp<int64_t>(value, kAnyInt, kMaxInt));
}

// Reads entry `index` into `entry` (the built-in record with an empty name); false when
// the store has no key for it.
bool ReadFileTypeEntry(SettingsStore& store, SettingsKey optionsKey, int32_t index, int32_t version,
                       const LegacyValues& legacy, FileTypeSetting& entry) {
  entry = DefaultFileTypeSetting();
  entry.Name.clear();
  SettingsKey entryKey;
  if (!store.OpenKey(optionsKey, EntryKeyName(index), entryKey)) return false;
  ReadFileType(store, entryKey, version, legacy, entry);
  store.CloseKey(entryKey);
  return true;
}

// ExtSet entries, each from its key; a missing key leaves a nameless built-in record.
void ReadCountedFileTypes(SettingsStore& store, SettingsKey optionsKey, int32_t version,
                          const LegacyValues& legacy, int32_t count, FileTypeSettingList& list) {
  list.entries.resize(static_cast<size_t>(count));
  for (int32_t i = 0; i < count; ++i) {
    ReadFileTypeEntry(store, optionsKey, i, version, legacy, list.entries[static_cast<size_t>(i)]);
  }
  list.countAsLoaded = count;
}

// A missing or damaged ExtSet cannot be trusted to say how many entries there are: only
// the entry keys that exist are taken, in index order, so that no nameless entry is made
// up and saved back. The common entry is needed even when its key is gone. The count as
// loaded reaches the highest key found, so that saving removes the keys left behind.
void ReadExistingFileTypes(SettingsStore& store, SettingsKey optionsKey, int32_t version,
                           const LegacyValues& legacy, FileTypeSettingList& list) {
  list.entries.clear();
  list.countAsLoaded = 1;
  FileTypeSetting entry;
  for (int32_t i = 0; i < kMaxFileTypeEntries; ++i) {
    if (ReadFileTypeEntry(store, optionsKey, i, version, legacy, entry)) {
      list.entries.push_back(std::move(entry));
      list.countAsLoaded = i + 1;
    } else if (i == 0) {
      list.entries.push_back(DefaultFileTypeSetting());
    }
  }
}

}  // namespace

std::u16string FormatFontRecord(const FontRecord& font) {
  std::string text;
  for (const int32_t number :
       {font.height, font.width, font.escapement, font.orientation, font.weight}) {
    text += std::to_string(number) + ' ';
  }
  for (const uint8_t byte :
       {font.italic, font.underline, font.strikeOut, font.charSet, font.outPrecision,
        font.clipPrecision, font.quality, font.pitchAndFamily}) {
    text += std::to_string(byte) + ' ';
  }
  return Ascii(text) + font.FaceName();
}

std::optional<FontRecord> ParseFontRecord(std::u16string_view text) {
  int64_t numbers[kFontNumberCount];
  size_t position = 0;
  for (int64_t& number : numbers) {
    if (!ScanInt(text, position, number)) return std::nullopt;
  }
  // The face name, which may hold spaces itself, follows the thirteenth space.
  size_t faceStart = 0;
  for (int spaces = 0; spaces < kFontNumberCount; ++spaces) {
    const size_t space = text.find(u' ', faceStart);
    if (space == std::u16string_view::npos) return std::nullopt;
    faceStart = space + 1;
  }
  FontRecord font;
  font.height = Saturate(numbers[0]);
  font.width = Saturate(numbers[1]);
  font.escapement = Saturate(numbers[2]);
  font.orientation = Saturate(numbers[3]);
  font.weight = Saturate(numbers[4]);
  uint8_t* bytes[] = {&font.italic,  &font.underline,     &font.strikeOut,
                      &font.charSet, &font.outPrecision,  &font.clipPrecision,
                      &font.quality, &font.pitchAndFamily};
  for (int i = 0; i < 8; ++i) *bytes[i] = static_cast<uint8_t>(numbers[5 + i]);
  font.SetFaceName(text.substr(faceStart));
  return font;
}

bool LoadSettings(SettingsStore& store, AppOptions& options, FileTypeSettingList& list) {
  options.Hist.clear();
  const SettingsKey root = store.Root();
  int32_t version = 0;
  store.ReadInt(root, u"RegVer", version);
  SettingsKey optionsKey;
  if (!store.OpenKey(root, u"Options", optionsKey)) {
    store.CloseRoot();
    return false;
  }
  ReadOptions(store, optionsKey, version, options);
  const LegacyValues legacy = ReadLegacyValues(store, optionsKey);

  int32_t count = 0;
  if (store.ReadInt(optionsKey, u"ExtSet", count) && count >= 1 && count <= kMaxFileTypeEntries) {
    ReadCountedFileTypes(store, optionsKey, version, legacy, count, list);
  } else {
    ReadExistingFileTypes(store, optionsKey, version, legacy, list);
  }
  // The common entry cannot be renamed: a store that lost its name must not leave it blank.
  if (list.entries[0].Name.empty()) list.entries[0].Name = DefaultFileTypeSetting().Name;
  list.capacity = std::max(list.capacity, list.Count());
  store.CloseKey(optionsKey);
  store.CloseRoot();
  return true;
}

bool SaveSettings(SettingsStore& store, const AppOptions& options,
                  const FileTypeSettingList& list) {
  const SettingsKey root = store.Root();
  store.WriteInt(root, u"RegVer", kSettingsVersion);
  SettingsKey optionsKey;
  if (store.CreateKey(root, u"Options", optionsKey)) {
    WriteOptions(store, optionsKey, options, list.Count());
    for (int32_t i = 0; i < list.Count(); ++i) {
      SettingsKey entryKey;
      if (!store.CreateKey(optionsKey, EntryKeyName(i), entryKey)) continue;
      WriteFileType(store, entryKey, list.entries[static_cast<size_t>(i)]);
      store.DeleteKey(entryKey, u"EditSJIS");
      store.CloseKey(entryKey);
    }
    for (int32_t i = list.Count(); i < list.countAsLoaded; ++i) {
      if (!store.DeleteKey(optionsKey, EntryKeyName(i))) break;
    }
    store.DeleteKey(optionsKey, u"UI");
    store.CloseKey(optionsKey);
  }
  return store.CloseRoot();
}

bool LoadSettingsAtStart(const SettingsLocation& location, AppOptions& options,
                         FileTypeSettingList& list) {
  ResetSettings(options, list);
  bool stored = false;
  if (std::unique_ptr<SettingsStore> store = OpenRootForRead(location)) {
    stored = LoadSettings(*store, options, list);
  }
  if (!stored) {
    UseBuiltInFileTypes(list);
    LoadKeyPreset(options, 0);
  }
  ApplyPlacementSwitches(options);
  return stored;
}

SaveResult SaveSettings(const SettingsLocation& location, const AppOptions& options,
                        const FileTypeSettingList& list) {
  const bool ini = options.Reg == 1;
  std::unique_ptr<SettingsStore> store = OpenRootForWrite(location, ini);
  if (!store) return SaveResult::kNoRoot;
  if (!SaveSettings(*store, options, list)) return SaveResult::kIniNotWritable;
  return SaveResult::kSaved;
}

void ApplyPlacementSwitches(AppOptions& options) {
  if (!options.PosSave) {
    options.WinPosX = kUseDefaultPosition;
    options.WinPosY = 0;
  }
  if (!options.SizeSave) {
    options.WinWidth = kUseDefaultPosition;
    options.WinHeight = 0;
    options.Maximize = 0;
  }
}

}  // namespace vemora
