// The three key presets row by row, written out as a user's manual lists them (key,
// modifiers, flags, command), so that a slip in the program's tables shows here.
#include <gtest/gtest.h>

#include <map>
#include <span>
#include <string>

#include "core/keys/key_table.h"

namespace vemora {
namespace {

struct PresetRow {
  int index;
  const char* key;  // a key name, or "character" and the character
  const char* modifiers;
  uint8_t flags;
  const char* command;
};

// clang-format off
// "Windows式キー操作".
const PresetRow kWindowsRows[] = {
    {0, "character >", "Shift", 0x06, "CmdBottom"},
    {1, "character <", "Shift", 0x06, "CmdTop"},
    {2, "A", "Ctrl", 0x0B, "CmdSelectAll"},
    {3, "C", "Ctrl", 0x0B, "CmdCopy"},
    {4, "E", "none", 0x03, "CmdOpenWithTool"},
    {5, "F", "Ctrl", 0x0B, "CmdFind"},
    {6, "G", "Ctrl", 0x0B, "CmdJump"},
    {7, "L", "none", 0x03, "CmdLineNumbers"},
    {8, "L", "Ctrl", 0x0B, "CmdRedraw"},
    {9, "O", "Ctrl", 0x0B, "CmdOpen"},
    {10, "Q", "none", 0x03, "CmdExit"},
    {11, "S", "Ctrl", 0x0B, "CmdFind"},
    {12, "U", "Ctrl", 0x0B, "CmdShowMatches"},
    {13, "V", "Ctrl", 0x0B, "CmdPaste"},
    {14, "V", "Alt", 0x13, "CmdOpen"},
    {15, "End", "none", 0x03, "CmdBottom"},
    {16, "Home", "none", 0x03, "CmdTop"},
    {17, "F3", "none", 0x03, "CmdFindNext"},
    {18, "F3", "Shift", 0x07, "CmdFindPrev"},
    {19, "F1", "none", 0x03, "CmdHelp"},
    {20, "Left", "none", 0x03, "CmdCharLeft"},
    {21, "Left", "Shift", 0x07, "CmdFiveCharsLeft"},
    {22, "Down", "Shift", 0x07, "CmdFiveLinesDown"},
    {23, "Down", "none", 0x03, "CmdLineDown"},
    {24, "Enter", "none", 0x03, "CmdLineDown"},
    {25, "Page Down", "none", 0x03, "CmdPageDown"},
    {26, "Space", "none", 0x03, "CmdPageDown"},
    {27, "Up", "Shift", 0x07, "CmdFiveLinesUp"},
    {28, "Up", "none", 0x03, "CmdLineUp"},
    {29, "Page Up", "none", 0x03, "CmdPageUp"},
    {30, "Space", "Shift", 0x07, "CmdPageUp"},
    {31, "Right", "none", 0x03, "CmdCharRight"},
    {32, "Right", "Shift", 0x07, "CmdFiveCharsRight"},
};

// "Less式キー操作".
const PresetRow kLessRows[] = {
    {0, "character /", "none", 0x02, "CmdFind"},
    {1, "5", "Shift", 0x07, "CmdTop"},
    {2, "character <", "Shift", 0x06, "CmdTop"},
    {3, "character >", "Shift", 0x06, "CmdBottom"},
    {4, "character ?", "Shift", 0x06, "CmdFindBackward"},
    {5, "A", "Ctrl", 0x0B, "CmdSelectAll"},
    {6, "B", "none", 0x03, "CmdPageUp"},
    {7, "B", "Ctrl", 0x0B, "CmdPageUp"},
    {8, "C", "Ctrl", 0x0B, "CmdCopy"},
    {9, "D", "none", 0x03, "CmdFiveLinesDown"},
    {10, "D", "Ctrl", 0x0B, "CmdFiveLinesDown"},
    {11, "E", "none", 0x03, "CmdLineDown"},
    {12, "E", "Ctrl", 0x0B, "CmdLineDown"},
    {13, "F", "none", 0x03, "CmdPageDown"},
    {14, "F", "Ctrl", 0x0B, "CmdPageDown"},
    {15, "G", "none", 0x03, "CmdTop"},
    {16, "G", "Ctrl", 0x0B, "CmdJump"},
    {17, "G", "Shift", 0x07, "CmdBottom"},
    {18, "J", "none", 0x03, "CmdLineDown"},
    {19, "K", "none", 0x03, "CmdLineUp"},
    {20, "K", "Ctrl", 0x0B, "CmdLineUp"},
    {21, "L", "Ctrl", 0x0B, "CmdRedraw"},
    {22, "N", "none", 0x03, "CmdFindNext"},
    {23, "N", "Ctrl", 0x0B, "CmdLineDown"},
    {24, "N", "Shift", 0x07, "CmdFindPrev"},
    {25, "P", "none", 0x03, "CmdTop"},
    {26, "P", "Ctrl", 0x0B, "CmdLineUp"},
    {27, "Q", "none", 0x03, "CmdExit"},
    {28, "R", "none", 0x03, "CmdRedraw"},
    {29, "S", "Ctrl", 0x0B, "CmdFind"},
    {30, "U", "none", 0x03, "CmdFiveLinesUp"},
    {31, "U", "Ctrl", 0x0B, "CmdFiveLinesUp"},
    {32, "U", "Alt", 0x13, "CmdShowMatches"},
    {33, "V", "none", 0x03, "CmdOpenWithTool"},
    {34, "V", "Ctrl", 0x0B, "CmdPageDown"},
    {35, "V", "Alt", 0x13, "CmdPageUp"},
    {36, "W", "none", 0x03, "CmdPageUp"},
    {37, "Y", "none", 0x03, "CmdLineUp"},
    {38, "Y", "Ctrl", 0x0B, "CmdLineUp"},
    {39, "Z", "none", 0x03, "CmdPageDown"},
    {40, "Down", "none", 0x03, "CmdLineDown"},
    {41, "Down", "Shift", 0x07, "CmdFiveLinesDown"},
    {42, "End", "none", 0x03, "CmdBottom"},
    {43, "F1", "none", 0x03, "CmdHelp"},
    {44, "F3", "none", 0x03, "CmdFindNext"},
    {45, "F3", "Shift", 0x07, "CmdFindPrev"},
    {46, "Home", "none", 0x03, "CmdTop"},
    {47, "Left", "none", 0x03, "CmdCharLeft"},
    {48, "Left", "Shift", 0x07, "CmdFiveCharsLeft"},
    {49, "Page Down", "none", 0x03, "CmdPageDown"},
    {50, "Page Up", "none", 0x03, "CmdPageUp"},
    {51, "Enter", "none", 0x03, "CmdLineDown"},
    {52, "Right", "none", 0x03, "CmdCharRight"},
    {53, "Right", "Shift", 0x07, "CmdFiveCharsRight"},
    {54, "Space", "none", 0x03, "CmdPageDown"},
    {55, "Space", "Shift", 0x07, "CmdPageUp"},
    {56, "Up", "none", 0x03, "CmdLineUp"},
    {57, "Up", "Shift", 0x07, "CmdFiveLinesUp"},
};

// "DOS式キー操作": Ctrl+I twice, and only the first acts.
const PresetRow kDosRows[] = {
    {0, "A", "Ctrl", 0x0B, "CmdSelectAll"},
    {1, "B", "none", 0x03, "CmdFind"},
    {2, "B", "Ctrl", 0x0B, "CmdBottom"},
    {3, "C", "none", 0x03, "CmdPageDown"},
    {4, "C", "Ctrl", 0x0B, "CmdCopy"},
    {5, "D", "none", 0x03, "CmdFiveLinesDown"},
    {6, "D", "Ctrl", 0x0B, "CmdFiveLinesDown"},
    {7, "E", "none", 0x03, "CmdLineUp"},
    {8, "E", "Ctrl", 0x0B, "CmdLineDown"},
    {9, "F", "none", 0x03, "CmdFind"},
    {10, "I", "Ctrl", 0x0B, "CmdPageDown"},
    {11, "I", "Ctrl", 0x0B, "CmdPageUp"},
    {12, "J", "none", 0x03, "CmdLineDown"},
    {13, "K", "none", 0x03, "CmdLineUp"},
    {14, "L", "none", 0x03, "CmdFindNext"},
    {15, "N", "Ctrl", 0x0B, "CmdJump"},
    {16, "O", "none", 0x03, "CmdFindPrev"},
    {17, "Q", "none", 0x03, "CmdExit"},
    {18, "Q", "Ctrl", 0x0B, "CmdExit"},
    {19, "R", "none", 0x03, "CmdPageUp"},
    {20, "R", "Ctrl", 0x0B, "CmdPageUp"},
    {21, "S", "none", 0x03, "CmdFiveLinesUp"},
    {22, "S", "Ctrl", 0x0B, "CmdFiveLinesUp"},
    {23, "T", "Ctrl", 0x0B, "CmdTop"},
    {24, "U", "Ctrl", 0x0B, "CmdShowMatches"},
    {25, "W", "none", 0x03, "CmdTop"},
    {26, "W", "Ctrl", 0x0B, "CmdSelectAll"},
    {27, "X", "none", 0x03, "CmdLineDown"},
    {28, "X", "Ctrl", 0x0B, "CmdLineUp"},
    {29, "Z", "none", 0x03, "CmdBottom"},
    {30, "Z", "Ctrl", 0x0B, "CmdSelectAll"},
    {31, "Down", "none", 0x03, "CmdLineDown"},
    {32, "Down", "Shift", 0x07, "CmdFiveLinesDown"},
    {33, "End", "none", 0x03, "CmdBottom"},
    {34, "Esc", "none", 0x03, "CmdExit"},
    {35, "F3", "none", 0x03, "CmdFindNext"},
    {36, "F3", "Shift", 0x07, "CmdFindPrev"},
    {37, "Home", "none", 0x03, "CmdTop"},
    {38, "Left", "none", 0x03, "CmdFiveLinesUp"},
    {39, "Left", "Shift", 0x07, "CmdTop"},
    {40, "Page Down", "none", 0x03, "CmdPageDown"},
    {41, "Page Down", "Shift", 0x07, "CmdBottom"},
    {42, "Page Up", "none", 0x03, "CmdPageUp"},
    {43, "Page Up", "Shift", 0x07, "CmdTop"},
    {44, "Enter", "none", 0x03, "CmdExit"},
    {45, "Enter", "Shift", 0x07, "CmdOpenWithTool"},
    {46, "Right", "none", 0x03, "CmdFiveLinesDown"},
    {47, "Right", "Shift", 0x07, "CmdBottom"},
    {48, "Space", "none", 0x03, "CmdPageDown"},
    {49, "Space", "Shift", 0x07, "CmdPageUp"},
    {50, "Up", "none", 0x03, "CmdLineUp"},
    {51, "Up", "Shift", 0x07, "CmdFiveLinesUp"},
};

// clang-format on

// The command numbers by name, as the menu and the key page know them.
const std::map<std::string, uint16_t> kCommandNumbers = {
    {"CmdExit", 40001},          {"CmdLineDown", 40002},      {"CmdLineUp", 40003},
    {"CmdPageDown", 40004},      {"CmdPageUp", 40005},        {"CmdRedraw", 40006},
    {"CmdOpen", 40009},          {"CmdFind", 40010},          {"CmdFindNext", 40011},
    {"CmdFindPrev", 40012},      {"CmdFiveLinesDown", 40014}, {"CmdFiveLinesUp", 40015},
    {"CmdTop", 40016},           {"CmdBottom", 40017},        {"CmdCopy", 40019},
    {"CmdCharRight", 40021},     {"CmdCharLeft", 40022},      {"CmdFiveCharsRight", 40023},
    {"CmdFiveCharsLeft", 40024}, {"CmdShowMatches", 40028},   {"CmdPaste", 40030},
    {"CmdHelp", 40032},          {"CmdOpenWithTool", 40034},  {"CmdLineNumbers", 40061},
    {"CmdJump", 40062},          {"CmdFindBackward", 40065},  {"CmdSelectAll", 40066},
};

// Virtual-key codes of the named keys; letters and digits are their own codes.
const std::map<std::string, uint16_t> kNamedKeys = {
    {"F1", 0x70},    {"F3", 0x72},      {"Home", 0x24},      {"End", 0x23},   {"Enter", 0x0D},
    {"Esc", 0x1B},   {"Up", 0x26},      {"Down", 0x28},      {"Right", 0x27}, {"Left", 0x25},
    {"Space", 0x20}, {"Page Up", 0x21}, {"Page Down", 0x22},
};

// The binding a row stands for, and whether its flags agree with its modifiers.
KeyBinding BindingOf(const PresetRow& row, bool& flagsAgree) {
  const std::string key = row.key;
  const std::string modifiers = row.modifiers;
  const bool character = key.starts_with("character ");
  uint16_t code = 0;
  if (character) {
    code = static_cast<uint8_t>(key.back());
  } else if (key.size() == 1) {
    code = static_cast<uint8_t>(key[0]);
  } else {
    code = kNamedKeys.at(key);
  }
  uint8_t flags = character ? 0x02 : 0x03;
  if (modifiers == "Shift") flags |= 0x04;
  if (modifiers == "Ctrl") flags |= 0x08;
  if (modifiers == "Alt") flags |= 0x10;
  flagsAgree = flags == row.flags;
  return {row.flags, 0, code, kCommandNumbers.at(row.command)};
}

TEST(KeysPresets, EveryRowOfEveryPreset) {
  const std::span<const PresetRow> presets[] = {kWindowsRows, kLessRows, kDosRows};
  for (int preset = 0; preset < kKeyPresetCount; ++preset) {
    const std::span<const KeyBinding> table = KeyPreset(preset);
    ASSERT_EQ(table.size(), presets[preset].size()) << "preset " << preset;
    AppOptions options;
    LoadKeyPreset(options, preset);
    for (size_t i = 0; i < table.size(); ++i) {
      const PresetRow& row = presets[preset][i];
      ASSERT_EQ(row.index, static_cast<int>(i));
      bool flagsAgree = false;
      const KeyBinding expected = BindingOf(row, flagsAgree);
      EXPECT_TRUE(flagsAgree) << "preset " << preset << " row " << i;
      EXPECT_EQ(table[i], expected) << "preset " << preset << " row " << i << ": " << row.key << " "
                                    << row.modifiers << " " << row.command;
      EXPECT_EQ(options.KeyTable[i], expected) << "preset " << preset << " row " << i;
    }
  }
  // A preset number out of range gives the first preset.
  EXPECT_EQ(KeyPreset(-4).data(), KeyPreset(0).data());
  EXPECT_EQ(KeyPreset(3).data(), KeyPreset(0).data());
}

}  // namespace
}  // namespace vemora
