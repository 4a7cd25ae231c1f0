// The command numbers of every user action, their menu texts, key-page names and toolbar
// tips, and the key names the key settings page offers.
#pragma once

#include <cstdint>
#include <span>

namespace vemora {

// Every user action arrives as WM_COMMAND with one of these numbers.
enum CommandId : uint16_t {
  CmdExit = 40001,
  CmdLineDown = 40002,
  CmdLineUp = 40003,
  CmdPageDown = 40004,
  CmdPageUp = 40005,
  CmdRedraw = 40006,
  CmdAbout = 40008,
  CmdOpen = 40009,
  CmdFind = 40010,
  CmdFindNext = 40011,
  CmdFindPrev = 40012,
  CmdFiveLinesDown = 40014,
  CmdFiveLinesUp = 40015,
  CmdTop = 40016,
  CmdBottom = 40017,
  CmdEnvSettings = 40018,
  CmdCopy = 40019,
  CmdCharRight = 40021,
  CmdCharLeft = 40022,
  CmdFiveCharsRight = 40023,
  CmdFiveCharsLeft = 40024,
  CmdShowMatches = 40028,
  CmdPaste = 40030,
  CmdHelp = 40032,
  CmdClearSettings = 40033,
  CmdOpenWithTool = 40034,
  CmdLinesForward = 40036,  // lParam carries the line count (mouse wheel)
  CmdLinesBack = 40037,
  CmdFileTypeSelector = 40038,  // control id of the file-type selector in the toolbar
  CmdSaveAsUtf16 = 40039,
  CmdHistory1 = 40041,
  CmdHistory2 = 40042,
  CmdHistory3 = 40043,
  CmdHistory4 = 40044,
  CmdHistory5 = 40045,
  CmdHistory6 = 40046,
  CmdHistory7 = 40047,
  CmdHistory8 = 40048,
  CmdHistory9 = 40049,
  CmdHistory10 = 40050,
  CmdHistory11 = 40051,
  CmdHistory12 = 40052,
  CmdHistory13 = 40053,
  CmdHistory14 = 40054,
  CmdHistory15 = 40055,
  CmdHistory16 = 40056,
  CmdHistory17 = 40057,
  CmdHistory18 = 40058,
  CmdHistory19 = 40059,
  CmdHistory20 = 40060,
  CmdLineNumbers = 40061,
  CmdJump = 40062,
  CmdAppendCopy = 40063,
  CmdQuotedCopy = 40064,
  CmdFindBackward = 40065,  // only through a key: find dialog, searching towards the start
  CmdSelectAll = 40066,
  CmdEncodingSjis = 40067,
  CmdEncodingJis = 40068,
  CmdEncodingEuc = 40069,
  CmdQandA = 40070,
  CmdEncodingUtf16 = 40071,
  CmdEncodingUtf8 = 40072,
  CmdEncodingUtf7 = 40073,
  CmdEncodingUtf16Be = 40074,
  CmdFileTypeSettings = 40076,
  CmdExportSettings = 40086,
  CmdImportSettings = 40087,
  CmdFollow = 40090,         // re-read the file as it grows, keeping the end in view
  CmdCharacterInfo = 40091,  // code point, bytes and JIS code of the selected characters
  CmdFilter = 40092,         // show only the lines that hold a hit
  CmdUnfilter = 40093,       // back to the whole file
  CmdSaveEncoded = 40094,    // save the text in an encoding and with line ends of one's choice
};

// The texts a command shows: null where it has none.
struct CommandTexts {
  CommandId command;
  const char16_t* menuText;     // its item in the main menu
  const char16_t* keyPageName;  // its name in the key page's command list
  const char16_t* tooltip;      // its toolbar tip
};

// All commands except the file-history entries, in number order.
std::span<const CommandTexts> AllCommandTexts();
// Null for a number without texts (history entries, unknown numbers).
const CommandTexts* FindCommandTexts(uint16_t command);

// Titles of the main menu's drop-downs and submenus.
inline constexpr char16_t kMenuFile[] = u"ファイル(&F)";
inline constexpr char16_t kMenuEdit[] = u"編集(&E)";
inline constexpr char16_t kMenuView[] = u"表示(&V)";
inline constexpr char16_t kMenuEncoding[] = u"文字エンコーディング(&C)";
inline constexpr char16_t kMenuOptions[] = u"オプション(&O)";
inline constexpr char16_t kMenuHelp[] = u"ヘルプ(&H)";
inline constexpr char16_t kMenuSettings[] = u"設定(&S)";
// The file menu's fixed items (open, save, save in an encoding, separator, exit); the
// history follows them.
inline constexpr int kFileMenuFixedItems = 5;

// The key page's command list; index 0 "(なし)" stands for no command.
struct CommandName {
  const char16_t* name;
  uint16_t command;
};
std::span<const CommandName> CommandNameTable();  // 42 entries

// The key page's key list. A second character of 0 marks a virtual key; otherwise the
// entry is a character key whose Shift form is the second character (Japanese layout).
struct KeyName {
  const char16_t* name;
  uint16_t code;
  uint16_t secondCharacter;
};
std::span<const KeyName> KeyNameTable();  // 75 entries

struct KeyCode {
  uint16_t code = 0;
  bool isVirtual = false;
};

// The code a key-list entry stands for with the given Shift state; index -1 (no
// selection) or an index outside the table gives code 0.
KeyCode KeyCodeFor(int keyIndex, bool shift);

// The first index of the command in CommandNameTable; 0 ("(なし)") when it has none.
int CommandNameIndex(uint16_t command);

}  // namespace vemora
