// Tests of the command and key-name tables, the key presets and the key-table edits.
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <utility>

#include "core/keys/commands.h"
#include "core/keys/key_table.h"

namespace vemora {
namespace {

constexpr uint16_t kVkPrior = 0x21;

int KeyIndex(std::u16string_view name) {
  const auto keys = KeyNameTable();
  for (size_t i = 0; i < keys.size(); ++i) {
    if (keys[i].name == name) return static_cast<int>(i);
  }
  return -1;
}

TEST(KeysTables, CommandAndKeyNameTablesAgree) {
  ASSERT_EQ(CommandNameTable().size(), 42u);
  EXPECT_EQ(CommandNameTable()[41].command, CmdSaveEncoded);
  ASSERT_EQ(KeyNameTable().size(), 75u);
  EXPECT_EQ(std::u16string(CommandNameTable()[0].name), u"(なし)");
  EXPECT_EQ(CommandNameTable()[36].command, CmdExit);
  EXPECT_EQ(CommandNameTable()[37].command, CmdFollow);
  EXPECT_EQ(CommandNameTable()[38].command, CmdCharacterInfo);
  EXPECT_EQ(CommandNameTable()[39].command, CmdFilter);
  EXPECT_EQ(CommandNameTable()[40].command, CmdUnfilter);
  EXPECT_EQ(CommandNameTable()[41].command, CmdSaveEncoded);
  // The key page shows the same name as the command's own texts.
  for (size_t i = 1; i < CommandNameTable().size(); ++i) {
    const CommandName& entry = CommandNameTable()[i];
    const CommandTexts* texts = FindCommandTexts(entry.command);
    ASSERT_NE(texts, nullptr) << i;
    ASSERT_NE(texts->keyPageName, nullptr) << i;
    EXPECT_EQ(std::u16string(texts->keyPageName), entry.name) << i;
    EXPECT_EQ(CommandNameIndex(entry.command), static_cast<int>(i));
  }
  EXPECT_EQ(CommandNameIndex(CmdFindBackward), 0);
  EXPECT_EQ(CommandNameIndex(0), 0);
  EXPECT_EQ(std::u16string(FindCommandTexts(CmdEncodingUtf16Be)->menuText),
            u"Unicode (UTF16)(Big Endian)\t(&B)");
  EXPECT_EQ(FindCommandTexts(CmdHistory5), nullptr);
  EXPECT_EQ(CmdHistory20, 40060);
}

TEST(KeysTables, KeyCodeForVirtualAndCharacterKeys) {
  const int less = KeyIndex(u"<");
  EXPECT_EQ(less, 71);
  EXPECT_EQ(KeyCodeFor(less, true).code, u'<');
  EXPECT_FALSE(KeyCodeFor(less, true).isVirtual);
  EXPECT_EQ(KeyCodeFor(less, false).code, u',');
  for (const bool shift : {false, true}) {
    EXPECT_EQ(KeyCodeFor(KeyIndex(u"A"), shift).code, 0x41);
    EXPECT_TRUE(KeyCodeFor(KeyIndex(u"A"), shift).isVirtual);
  }
  EXPECT_EQ(KeyCodeFor(KeyIndex(u"F12"), false).code, 0x7B);
  EXPECT_EQ(KeyCodeFor(KeyIndex(u"0"), false).code, 0x30);
  EXPECT_EQ(KeyCodeFor(KeyIndex(u"Page Down"), false).code, 0x22);
  // "\" and "_" share the unshifted character.
  EXPECT_EQ(KeyCodeFor(65, false).code, KeyCodeFor(74, false).code);
  EXPECT_EQ(KeyCodeFor(74, true).code, u'_');
  EXPECT_EQ(KeyCodeFor(-1, true).code, 0);
  EXPECT_EQ(KeyCodeFor(75, false).code, 0);
}

// Every preset entry is a key the key page can show, with a flag set the program makes,
// and no key is bound twice except the known Ctrl+I of the third preset.
TEST(KeysPresets, EntriesAreWellFormed) {
  const std::set<uint8_t> flagSets = {0x03, 0x07, 0x0B, 0x13, 0x02, 0x06};
  for (int preset = 0; preset < kKeyPresetCount; ++preset) {
    std::set<std::pair<uint8_t, uint16_t>> seen;
    int duplicates = 0;
    for (const KeyBinding& entry : KeyPreset(preset)) {
      EXPECT_TRUE(flagSets.contains(entry.flags)) << preset;
      EXPECT_EQ(entry.reserved, 0);
      EXPECT_TRUE(entry.command == CmdFindBackward || CommandNameIndex(entry.command) > 0)
          << preset << " " << entry.command;
      bool onKeyPage = false;
      for (const KeyName& key : KeyNameTable()) {
        const bool isVirtual = key.secondCharacter == 0;
        if (isVirtual != ((entry.flags & kKeyVirtual) != 0)) continue;
        const uint16_t shown =
            (entry.flags & kKeyShift) && !isVirtual ? key.secondCharacter : key.code;
        onKeyPage = onKeyPage || shown == entry.key;
      }
      EXPECT_TRUE(onKeyPage) << preset << " key " << entry.key;
      if (!seen.insert({entry.flags, entry.key}).second) ++duplicates;
    }
    EXPECT_EQ(duplicates, preset == 2 ? 1 : 0) << preset;
    // Page Up scrolls a page back in every preset.
    AppOptions options;
    LoadKeyPreset(options, preset);
    const int found = FindKeyBinding(options, kVkPrior, false, false, false, true);
    ASSERT_GE(found, 0);
    EXPECT_EQ(options.KeyTable[static_cast<size_t>(found)].command, CmdPageUp);
  }
}

TEST(KeysEdit, LoadPresetFindAndAssign) {
  AppOptions options;
  LoadKeyPreset(options, 0);
  EXPECT_EQ(options.Keys, 33);
  EXPECT_EQ(options.keyTableCapacity, 33);
  const int less = KeyIndex(u"<");

  // Shift + "<" is (0x06, '<'); "<" without Shift is (0x02, ','), which is unbound.
  EXPECT_EQ(FindKeyBinding(options, u'<', true, false, false, false), 1);
  EXPECT_EQ(FindKeyBinding(options, u',', false, false, false, false), -1);

  AssignKey(options, less, false, false, false, 0);  // nothing to remove
  EXPECT_EQ(options.Keys, 33);
  AssignKey(options, -1, false, false, false, CmdCopy);
  EXPECT_EQ(options.Keys, 33);

  AssignKey(options, less, false, false, false, CmdCopy);  // a new binding grows by 10
  EXPECT_EQ(options.Keys, 34);
  EXPECT_EQ(options.keyTableCapacity, 43);
  EXPECT_EQ(options.KeyTable.back(), (KeyBinding{0x02, 0, u',', CmdCopy}));

  AssignKey(options, less, true, false, false, CmdFind);  // replaces in place
  EXPECT_EQ(options.KeyTable[1].command, CmdFind);
  EXPECT_EQ(options.Keys, 34);

  const KeyBinding third = options.KeyTable[2];
  AssignKey(options, less, true, false, false, 0);  // removes, later entries move up
  EXPECT_EQ(options.Keys, 33);
  EXPECT_EQ(options.KeyTable[1], third);
  EXPECT_EQ(options.keyTableCapacity, 43);

  // The third preset's first Ctrl+I is the one found.
  LoadKeyPreset(options, 2);
  EXPECT_EQ(FindKeyBinding(options, 'I', false, true, false, true), 10);
}

}  // namespace
}  // namespace vemora
