// The context menu is built for every right press, so its states always match the
// selection and the document's origin at that moment.
#include "win/view/view_context_menu.h"

#include "core/keys/commands.h"
#include "win/shell/app_state.h"

namespace vemora {
namespace {

enum class ItemRule { kSelection, kFromFile, kSeparator };

struct ContextItem {
  const wchar_t* text;
  UINT command;
  ItemRule rule;
};

constexpr ContextItem kContextItems[] = {
    {L"コピー(&C)", CmdCopy, ItemRule::kSelection},
    {L"追加コピー(&A)", CmdAppendCopy, ItemRule::kSelection},
    {L"引用コピー(&Q)", CmdQuotedCopy, ItemRule::kSelection},
    {L"文字情報(&I)...", CmdCharacterInfo, ItemRule::kSelection},
    {nullptr, 0, ItemRule::kSeparator},
    {L"ツールで開く(&E)", CmdOpenWithTool, ItemRule::kFromFile},
};

bool Enabled(ItemRule rule) {
  const Document* document = CurrentDocument();
  if (!document) return false;
  if (rule == ItemRule::kSelection) return document->SelectionAnchor != kNoPosition;
  return document->sourceKind == kSourceFile;
}

}  // namespace

HMENU BuildViewContextMenu() {
  HMENU menu = CreatePopupMenu();
  for (const ContextItem& item : kContextItems) {
    if (item.rule == ItemRule::kSeparator) {
      AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
      continue;
    }
    AppendMenuW(menu, MF_STRING | (Enabled(item.rule) ? MF_ENABLED : MF_GRAYED), item.command,
                item.text);
  }
  return menu;
}

void ShowViewContextMenu() {
  HMENU menu = BuildViewContextMenu();
  POINT pointer{};
  GetCursorPos(&pointer);
  TrackPopupMenu(menu, TPM_RIGHTBUTTON, pointer.x, pointer.y, 0, gShell.mainWindow, nullptr);
  DestroyMenu(menu);
}

}  // namespace vemora
