// The key page's copy of the key table and what it shows for a key.
#include <gtest/gtest.h>

#include <string_view>

#include "core/keys/commands.h"
#include "core/keys/key_page.h"
#include "core/keys/key_table.h"

namespace vemora {
namespace {

int KeyIndex(std::u16string_view name) {
  const auto keys = KeyNameTable();
  for (size_t i = 0; i < keys.size(); ++i) {
    if (keys[i].name == name) return static_cast<int>(i);
  }
  return -1;
}

int NameIndexOf(uint16_t command) {
  return CommandNameIndex(command);
}

TEST(KeyPage, CopyRestoresEntriesCountAndCapacity) {
  AppOptions options;
  LoadKeyPreset(options, 0);
  AssignKey(options, KeyIndex(u"F5"), false, false, false, CmdRedraw);
  const AppOptions before = options;
  ASSERT_EQ(options.keyTableCapacity, 43);

  KeyTableCopy copy = CopyKeyTable(options);
  LoadKeyPreset(options, 2);
  AssignKey(options, KeyIndex(u"Page Up"), false, false, false, 0);
  AssignKey(options, KeyIndex(u"F6"), false, true, false, CmdHelp);
  ASSERT_NE(options, before);
  RestoreKeyTable(options, std::move(copy));
  EXPECT_EQ(options, before);
}

TEST(KeyPage, ShowsTheNameOfWhatIsBound) {
  struct Case {
    int preset;
    std::u16string_view key;
    bool shift, control, alt;
    uint16_t expected;  // a command, 0 for "(なし)"
  };
  const Case cases[] = {
      {0, u"Page Up", false, false, false, CmdPageUp},
      {1, u"Page Up", false, false, false, CmdPageUp},
      {2, u"Page Up", false, false, false, CmdPageUp},
      {0, u"F3", true, false, false, CmdFindPrev},
      {0, u"F3", false, true, false, 0},
      {0, u"<", true, false, false, CmdTop},  // the character "<"
      {0, u"<", false, false, false, 0},      // the character ",": never bound
      {1, u"/", false, false, false, CmdFind},
      {1, u"/", true, false, false, 0},  // "?" is bound to a command without a name here
      {0, u"V", false, false, true, CmdOpen},
      {2, u"I", false, true, false, CmdPageDown},  // the first of two equal entries
  };
  for (const Case& c : cases) {
    AppOptions options;
    LoadKeyPreset(options, c.preset);
    EXPECT_EQ(BoundCommandNameIndex(options, KeyIndex(c.key), c.shift, c.control, c.alt),
              NameIndexOf(c.expected))
        << c.preset << " " << std::string(c.key.begin(), c.key.end());
  }
  AppOptions options;
  LoadKeyPreset(options, 1);
  EXPECT_EQ(BoundCommandNameIndex(options, -1, false, false, false), 0) << "no key selected";
}

}  // namespace
}  // namespace vemora
