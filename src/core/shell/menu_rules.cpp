// Menu and toolbar states, encoding check marks and encoding reload requests.
#include "core/shell/menu_rules.h"

namespace vemora {
namespace {

void Add(std::vector<CommandState>& states, std::initializer_list<CommandId> commands,
         bool enabled) {
  for (CommandId command : commands) states.push_back({command, enabled});
}

}  // namespace

std::vector<CommandState> MenuItemStates(const MenuStateInput& in) {
  const bool document = in.hasDocument;
  const bool file = document && in.fromFile;
  const bool hits = document && in.hasHits;
  const bool selection = document && in.hasSelection;
  std::vector<CommandState> states;
  Add(states,
      {CmdTop, CmdBottom, CmdSelectAll, CmdJump, CmdFind, CmdSaveAsUtf16, CmdLineNumbers,
       CmdFilter},
      document);
  Add(states, {CmdUnfilter}, document && in.filtered);
  Add(states,
      {CmdEncodingSjis, CmdEncodingJis, CmdEncodingEuc, CmdEncodingUtf16, CmdEncodingUtf16Be,
       CmdEncodingUtf8, CmdEncodingUtf7, CmdOpenWithTool},
      file);
  Add(states, {CmdFollow}, file);
  Add(states, {CmdFindNext, CmdFindPrev, CmdShowMatches}, hits);
  Add(states, {CmdCopy, CmdAppendCopy, CmdQuotedCopy}, selection);
  Add(states, {CmdCharacterInfo}, selection);
  Add(states, {CmdSaveEncoded}, document);
  return states;
}

std::vector<CommandState> ToolbarButtonStates(const MenuStateInput& in) {
  const bool document = in.hasDocument;
  std::vector<CommandState> states;
  Add(states, {CmdFind, CmdSaveAsUtf16}, document);
  Add(states, {CmdOpenWithTool}, document && in.fromFile);
  Add(states, {CmdFindNext, CmdFindPrev, CmdShowMatches}, document && in.hasHits);
  Add(states, {CmdCopy}, document && in.hasSelection);
  return states;
}

uint16_t EncodingMenuCommand(int32_t encoding) {
  switch (encoding) {
    case 0:
      return CmdEncodingSjis;
    case 1:
      return CmdEncodingJis;
    case 2:
      return CmdEncodingEuc;
    case 3:
    case 5:
      return CmdEncodingUtf16;
    case 4:
    case 6:
      return CmdEncodingUtf16Be;
    case 7:
    case 8:
      return CmdEncodingUtf8;
    case 9:
      return CmdEncodingUtf7;
    default:
      return 0;
  }
}

EncodingReload EncodingReloadFor(uint16_t command, int32_t current) {
  int32_t request = -1;
  switch (command) {
    case CmdEncodingSjis:
      request = 0;
      break;
    case CmdEncodingJis:
      request = 1;
      break;
    case CmdEncodingEuc:
      request = 2;
      break;
    case CmdEncodingUtf16:
      request = -3;
      break;
    case CmdEncodingUtf16Be:
      request = -4;
      break;
    case CmdEncodingUtf8:
      request = -5;
      break;
    case CmdEncodingUtf7:
      request = 9;
      break;
    default:
      return {};
  }
  if (EncodingMenuCommand(current) == command) return {};
  return {true, request};
}

}  // namespace vemora
