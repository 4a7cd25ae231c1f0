// Fuzzing the settings: the input is a whole INI file. It is parsed into an image, every
// setting is loaded from it (every value type, every version's upgrades) and checked
// against its limits, the file-type patterns are tried on the history, and the records
// are saved as this version writes them and loaded again, which must give them back.
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <string>

#include "core/platform/code_pages.h"
#include "core/settings/ini_store.h"
#include "core/settings/settings_io.h"
#include "core/text/file_type.h"
#include "fuzz_support.h"

namespace vemora {
namespace {

struct Settings {
  AppOptions options;
  FileTypeSettingList list;
  bool stored = false;
};

Settings Load(IniImage image) {
  Settings settings;
  ResetSettings(settings.options, settings.list);
  if (std::unique_ptr<SettingsStore> store = MakeIniStore(std::move(image), u"", false))
    settings.stored = LoadSettings(*store, settings.options, settings.list);
  return settings;
}

bool Flag(int32_t value) {
  return value == 0 || value == 1;
}

// Characters with their terminators, and the list's own terminator.
int64_t ListSize(const StringList& list) {
  int64_t size = 1;
  for (const std::u16string& entry : list) size += static_cast<int64_t>(entry.size()) + 1;
  return size;
}

bool NoEmptyEntry(const StringList& list) {
  return std::none_of(list.begin(), list.end(), [](const auto& entry) { return entry.empty(); });
}

void CheckLimits(const Settings& settings) {
  const AppOptions& o = settings.options;
  FUZZ_CHECK(Flag(o.Maximize) && Flag(o.PosSave) && Flag(o.SizeSave) && Flag(o.Tbar));
  FUZZ_CHECK(Flag(o.Sbar) && Flag(o.Reg) && Flag(o.Bell) && Flag(o.Caret) && Flag(o.SmLine));
  FUZZ_CHECK(Flag(o.SmPage) && Flag(o.Caps) && Flag(o.Regx));
  FUZZ_CHECK(o.HistNum >= 0 && o.HistNum <= 20 && o.SmRare >= 1 && o.SmRare <= 30);
  FUZZ_CHECK(o.Quote.size() <= 20 && o.Quote.find(u'\0') == std::u16string::npos);
  FUZZ_CHECK(o.Keys == static_cast<int32_t>(o.KeyTable.size()) && o.keyTableCapacity >= o.Keys);
  FUZZ_CHECK(ListSize(o.Hist) <= kHistCapacity && NoEmptyEntry(o.Hist));
  FUZZ_CHECK(ListSize(o.FindHist) <= kFindHistCapacity && NoEmptyEntry(o.FindHist));

  const FileTypeSettingList& list = settings.list;
  FUZZ_CHECK(!settings.stored || (list.Count() >= 1 && list.Count() <= kMaxFileTypeEntries));
  // The count as loaded may reach past the entries taken, so that saving removes the keys
  // of the entries that were left out.
  FUZZ_CHECK(list.capacity >= list.Count() && list.countAsLoaded <= kMaxFileTypeEntries);
  for (const FileTypeSetting& e : list.entries) {
    FUZZ_CHECK(e.Name.size() <= 40 && ListSize(e.Ext) <= kExtCapacity && NoEmptyEntry(e.Ext));
    FUZZ_CHECK(e.Tab >= 2 && e.Tab <= 16 && e.Fold >= 5 && e.Fold <= 260);
    FUZZ_CHECK(e.LineSp >= 0 && e.LineSp <= 99 && Flag(e.LineType) && Flag(e.ToolType));
    FUZZ_CHECK(Flag(e.Cr) && Flag(e.TabMark) && Flag(e.HanSpcMark) && Flag(e.ZenSpcMark));
    FUZZ_CHECK(Flag(e.LineNum) && Flag(e.FoldRight) && Flag(e.EditClose) && Flag(e.EditReload));
    FUZZ_CHECK(e.Editor.size() <= 260);
    for (const std::u16string* option : {&e.EdOptEUC, &e.EdOptJIS, &e.EdOptSJIS, &e.EdOptUTF16,
                                         &e.EdOptUTF16BE, &e.EdOptUTF8, &e.EdOptUTF7}) {
      FUZZ_CHECK(option->size() <= 20);
    }
    FUZZ_CHECK(e.Font.faceName.back() == u'\0');
  }
}

// The texts of the records; the INI file keeps them in the OEM code page.
std::vector<std::u16string*> Texts(Settings& s) {
  std::vector<std::u16string*> texts = {&s.options.Quote};
  for (FileTypeSetting& e : s.list.entries) {
    for (std::u16string* text : {&e.Name, &e.Editor, &e.EdOptEUC, &e.EdOptJIS, &e.EdOptSJIS,
                                 &e.EdOptUTF16, &e.EdOptUTF16BE, &e.EdOptUTF8, &e.EdOptUTF7})
      texts.push_back(text);
  }
  return texts;
}

std::vector<StringList*> Lists(Settings& s) {
  std::vector<StringList*> lists = {&s.options.Hist, &s.options.FindHist};
  for (FileTypeSetting& e : s.list.entries) lists.push_back(&e.Ext);
  return lists;
}

bool SurvivesCodePage(std::u16string_view text) {
  return DecodeCodePage(kCodePageOem, EncodeCodePage(kCodePageOem, text)) == text;
}

// Everything but the texts must come back exactly; a text must come back whenever the OEM
// code page can hold it (others come back with the system's replacements).
void CheckReloaded(Settings& first, Settings& again) {
  FUZZ_CHECK(again.stored);
  FUZZ_CHECK(first.list.Count() == again.list.Count());
  const std::vector<std::u16string*> texts = Texts(first);
  const std::vector<std::u16string*> textsAgain = Texts(again);
  for (size_t i = 0; i < texts.size(); ++i) {
    if (SurvivesCodePage(*texts[i])) FUZZ_CHECK(*textsAgain[i] == *texts[i]);
  }
  const std::vector<StringList*> lists = Lists(first);
  const std::vector<StringList*> listsAgain = Lists(again);
  for (size_t i = 0; i < lists.size(); ++i) {
    StringList expected = *lists[i];
    if (i == 0 && expected.size() > 20) expected.resize(20);  // the menu's history at most
    if (std::all_of(expected.begin(), expected.end(), SurvivesCodePage))
      FUZZ_CHECK(*listsAgain[i] == expected);
  }
  Settings numbers = again;
  const std::vector<std::u16string*> mine = Texts(numbers);
  for (size_t i = 0; i < texts.size(); ++i) *mine[i] = *texts[i];
  const std::vector<StringList*> myLists = Lists(numbers);
  for (size_t i = 0; i < lists.size(); ++i) *myLists[i] = *lists[i];
  for (size_t i = 0; i < numbers.list.entries.size(); ++i) {
    const FontRecord& font = first.list.entries[i].Font;
    if (!SurvivesCodePage(font.FaceName())) numbers.list.entries[i].Font.faceName = font.faceName;
  }
  // The count as loaded is the saved count now.
  numbers.list.countAsLoaded = first.list.countAsLoaded;
  numbers.list.capacity = first.list.capacity;
  FUZZ_CHECK(numbers.options == first.options);
  FUZZ_CHECK(numbers.list == first.list);
}

Settings SaveAndLoad(const Settings& settings) {
  static const std::string path = "/tmp/vemora-settings-fuzz-" + std::to_string(getpid()) + ".ini";
  const std::u16string widePath(path.begin(), path.end());
  std::unique_ptr<SettingsStore> store = CreateIniStoreForWrite(widePath);
  FUZZ_CHECK(SaveSettings(*store, settings.options, settings.list));
  IniImage image;
  FUZZ_CHECK(ReadIniFile(widePath, image));
  std::remove(path.c_str());
  return Load(std::move(image));
}

}  // namespace
}  // namespace vemora

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace vemora;
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  const IniImage image = ParseIniImage(bytes);

  // The file's text form reads back as the same image.
  const IniImage reparsed = ParseIniImage(FormatIniImage(image));
  FUZZ_CHECK(reparsed.sections.size() == image.sections.size());
  for (size_t i = 0; i < image.sections.size(); ++i) {
    FUZZ_CHECK(reparsed.sections[i].name == image.sections[i].name);
    FUZZ_CHECK(reparsed.sections[i].lines == image.sections[i].lines);
  }
  FUZZ_CHECK(UnescapeIniBytes(EscapeIniBytes(bytes)) == bytes);

  Settings first = Load(image);
  if (!first.stored) return 0;
  CheckLimits(first);
  // The patterns choose the file type of the files in the history.
  for (size_t i = 0; i < std::min<size_t>(first.options.Hist.size(), 4); ++i) {
    const int32_t chosen = SelectFileType(first.options.Hist[i], first.list);
    FUZZ_CHECK(chosen >= 0 && chosen < first.list.Count());
  }
  Settings again = SaveAndLoad(first);
  CheckLimits(again);
  CheckReloaded(first, again);
  return 0;
}
