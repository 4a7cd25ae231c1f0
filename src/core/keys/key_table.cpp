// The built-in key presets and the key-table edits.
#include "core/keys/key_table.h"

#include "core/keys/commands.h"

namespace vemora {
namespace {

// Virtual-key codes used by the presets.
constexpr uint16_t kVkReturn = 0x0D, kVkEscape = 0x1B, kVkSpace = 0x20, kVkPrior = 0x21,
                   kVkNext = 0x22, kVkEnd = 0x23, kVkHome = 0x24, kVkLeft = 0x25, kVkUp = 0x26,
                   kVkRight = 0x27, kVkDown = 0x28, kVkF1 = 0x70, kVkF3 = 0x72;

constexpr KeyBinding Plain(uint16_t key, uint16_t command) {
  return {0x03, 0, key, command};
}
constexpr KeyBinding Shift(uint16_t key, uint16_t command) {
  return {0x07, 0, key, command};
}
constexpr KeyBinding Ctrl(uint16_t key, uint16_t command) {
  return {0x0B, 0, key, command};
}
constexpr KeyBinding Alt(uint16_t key, uint16_t command) {
  return {0x13, 0, key, command};
}
constexpr KeyBinding Char(char16_t key, uint16_t command) {
  return {0x02, 0, key, command};
}
constexpr KeyBinding ShiftChar(char16_t key, uint16_t command) {
  return {0x06, 0, key, command};
}

// clang-format off
constexpr KeyBinding kWindowsPreset[] = {
    ShiftChar(u'>', CmdBottom),     ShiftChar(u'<', CmdTop),
    Ctrl('A', CmdSelectAll),        Ctrl('C', CmdCopy),
    Plain('E', CmdOpenWithTool),    Ctrl('F', CmdFind),
    Ctrl('G', CmdJump),             Plain('L', CmdLineNumbers),
    Ctrl('L', CmdRedraw),           Ctrl('O', CmdOpen),
    Plain('Q', CmdExit),            Ctrl('S', CmdFind),
    Ctrl('U', CmdShowMatches),      Ctrl('V', CmdPaste),
    Alt('V', CmdOpen),              Plain(kVkEnd, CmdBottom),
    Plain(kVkHome, CmdTop),         Plain(kVkF3, CmdFindNext),
    Shift(kVkF3, CmdFindPrev),      Plain(kVkF1, CmdHelp),
    Plain(kVkLeft, CmdCharLeft),    Shift(kVkLeft, CmdFiveCharsLeft),
    Shift(kVkDown, CmdFiveLinesDown), Plain(kVkDown, CmdLineDown),
    Plain(kVkReturn, CmdLineDown),  Plain(kVkNext, CmdPageDown),
    Plain(kVkSpace, CmdPageDown),   Shift(kVkUp, CmdFiveLinesUp),
    Plain(kVkUp, CmdLineUp),        Plain(kVkPrior, CmdPageUp),
    Shift(kVkSpace, CmdPageUp),     Plain(kVkRight, CmdCharRight),
    Shift(kVkRight, CmdFiveCharsRight),
};
static_assert(std::size(kWindowsPreset) == 33);

constexpr KeyBinding kLessPreset[] = {
    Char(u'/', CmdFind),            Shift('5', CmdTop),
    ShiftChar(u'<', CmdTop),        ShiftChar(u'>', CmdBottom),
    ShiftChar(u'?', CmdFindBackward), Ctrl('A', CmdSelectAll),
    Plain('B', CmdPageUp),          Ctrl('B', CmdPageUp),
    Ctrl('C', CmdCopy),             Plain('D', CmdFiveLinesDown),
    Ctrl('D', CmdFiveLinesDown),    Plain('E', CmdLineDown),
    Ctrl('E', CmdLineDown),         Plain('F', CmdPageDown),
    Ctrl('F', CmdPageDown),         Plain('G', CmdTop),
    Ctrl('G', CmdJump),             Shift('G', CmdBottom),
    Plain('J', CmdLineDown),        Plain('K', CmdLineUp),
    Ctrl('K', CmdLineUp),           Ctrl('L', CmdRedraw),
    Plain('N', CmdFindNext),        Ctrl('N', CmdLineDown),
    Shift('N', CmdFindPrev),        Plain('P', CmdTop),
    Ctrl('P', CmdLineUp),           Plain('Q', CmdExit),
    Plain('R', CmdRedraw),          Ctrl('S', CmdFind),
    Plain('U', CmdFiveLinesUp),     Ctrl('U', CmdFiveLinesUp),
    Alt('U', CmdShowMatches),       Plain('V', CmdOpenWithTool),
    Ctrl('V', CmdPageDown),         Alt('V', CmdPageUp),
    Plain('W', CmdPageUp),          Plain('Y', CmdLineUp),
    Ctrl('Y', CmdLineUp),           Plain('Z', CmdPageDown),
    Plain(kVkDown, CmdLineDown),    Shift(kVkDown, CmdFiveLinesDown),
    Plain(kVkEnd, CmdBottom),       Plain(kVkF1, CmdHelp),
    Plain(kVkF3, CmdFindNext),      Shift(kVkF3, CmdFindPrev),
    Plain(kVkHome, CmdTop),         Plain(kVkLeft, CmdCharLeft),
    Shift(kVkLeft, CmdFiveCharsLeft), Plain(kVkNext, CmdPageDown),
    Plain(kVkPrior, CmdPageUp),     Plain(kVkReturn, CmdLineDown),
    Plain(kVkRight, CmdCharRight),  Shift(kVkRight, CmdFiveCharsRight),
    Plain(kVkSpace, CmdPageDown),   Shift(kVkSpace, CmdPageUp),
    Plain(kVkUp, CmdLineUp),        Shift(kVkUp, CmdFiveLinesUp),
};
static_assert(std::size(kLessPreset) == 58);

// Ctrl+I appears twice; only the first (page down) acts.
constexpr KeyBinding kDosPreset[] = {
    Ctrl('A', CmdSelectAll),        Plain('B', CmdFind),
    Ctrl('B', CmdBottom),           Plain('C', CmdPageDown),
    Ctrl('C', CmdCopy),             Plain('D', CmdFiveLinesDown),
    Ctrl('D', CmdFiveLinesDown),    Plain('E', CmdLineUp),
    Ctrl('E', CmdLineDown),         Plain('F', CmdFind),
    Ctrl('I', CmdPageDown),         Ctrl('I', CmdPageUp),
    Plain('J', CmdLineDown),        Plain('K', CmdLineUp),
    Plain('L', CmdFindNext),        Ctrl('N', CmdJump),
    Plain('O', CmdFindPrev),        Plain('Q', CmdExit),
    Ctrl('Q', CmdExit),             Plain('R', CmdPageUp),
    Ctrl('R', CmdPageUp),           Plain('S', CmdFiveLinesUp),
    Ctrl('S', CmdFiveLinesUp),      Ctrl('T', CmdTop),
    Ctrl('U', CmdShowMatches),      Plain('W', CmdTop),
    Ctrl('W', CmdSelectAll),        Plain('X', CmdLineDown),
    Ctrl('X', CmdLineUp),           Plain('Z', CmdBottom),
    Ctrl('Z', CmdSelectAll),        Plain(kVkDown, CmdLineDown),
    Shift(kVkDown, CmdFiveLinesDown), Plain(kVkEnd, CmdBottom),
    Plain(kVkEscape, CmdExit),      Plain(kVkF3, CmdFindNext),
    Shift(kVkF3, CmdFindPrev),      Plain(kVkHome, CmdTop),
    Plain(kVkLeft, CmdFiveLinesUp), Shift(kVkLeft, CmdTop),
    Plain(kVkNext, CmdPageDown),    Shift(kVkNext, CmdBottom),
    Plain(kVkPrior, CmdPageUp),     Shift(kVkPrior, CmdTop),
    Plain(kVkReturn, CmdExit),      Shift(kVkReturn, CmdOpenWithTool),
    Plain(kVkRight, CmdFiveLinesDown), Shift(kVkRight, CmdBottom),
    Plain(kVkSpace, CmdPageDown),   Shift(kVkSpace, CmdPageUp),
    Plain(kVkUp, CmdLineUp),        Shift(kVkUp, CmdFiveLinesUp),
};
static_assert(std::size(kDosPreset) == 52);
// clang-format on

constexpr int kKeyTableGrowth = 10;

}  // namespace

std::span<const KeyBinding> KeyPreset(int preset) {
  switch (preset) {
    case 1:
      return kLessPreset;
    case 2:
      return kDosPreset;
    default:
      return kWindowsPreset;
  }
}

uint8_t KeyBindingFlags(bool isVirtual, bool shift, bool control, bool alt) {
  uint8_t flags = kKeyNoInvert;
  if (isVirtual) flags |= kKeyVirtual;
  if (shift) flags |= kKeyShift;
  if (control) flags |= kKeyControl;
  if (alt) flags |= kKeyAlt;
  return flags;
}

int FindKeyBinding(const AppOptions& options, uint16_t code, bool shift, bool control, bool alt,
                   bool isVirtual) {
  const uint8_t flags = KeyBindingFlags(isVirtual, shift, control, alt);
  for (size_t i = 0; i < options.KeyTable.size(); ++i) {
    const KeyBinding& entry = options.KeyTable[i];
    if (entry.flags == flags && entry.key == code) return static_cast<int>(i);
  }
  return -1;
}

void AssignKey(AppOptions& options, int keyIndex, bool shift, bool control, bool alt,
               uint16_t command) {
  if (keyIndex < 0) return;
  const KeyCode key = KeyCodeFor(keyIndex, shift);
  if (key.code == 0) return;  // not an entry of the key list
  const int found = FindKeyBinding(options, key.code, shift, control, alt, key.isVirtual);
  if (found >= 0) {
    if (command == 0) {
      options.KeyTable.erase(options.KeyTable.begin() + found);
    } else {
      options.KeyTable[static_cast<size_t>(found)].command = command;
    }
  } else if (command != 0) {
    if (static_cast<int32_t>(options.KeyTable.size()) >= options.keyTableCapacity) {
      options.keyTableCapacity = static_cast<int32_t>(options.KeyTable.size()) + kKeyTableGrowth;
      options.KeyTable.reserve(static_cast<size_t>(options.keyTableCapacity));
    }
    options.KeyTable.push_back(
        {KeyBindingFlags(key.isVirtual, shift, control, alt), 0, key.code, command});
  }
  options.Keys = static_cast<int32_t>(options.KeyTable.size());
}

void SetKeyTable(AppOptions& options, std::span<const KeyBinding> entries) {
  options.KeyTable.assign(entries.begin(), entries.end());
  options.Keys = static_cast<int32_t>(entries.size());
  options.keyTableCapacity = options.Keys;
}

void LoadKeyPreset(AppOptions& options, int preset) {
  SetKeyTable(options, KeyPreset(preset));
}

}  // namespace vemora
