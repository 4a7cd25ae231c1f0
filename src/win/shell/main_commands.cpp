// The commands the main window carries out itself, and the forwarding of the commands on
// the shown text to the view.
#include <windows.h>
#include <commdlg.h>

#include <string>

#include "core/keys/commands.h"
#include "core/platform/files.h"
#include "core/shell/menu_rules.h"
#include "core/text/encoding.h"
#include "win/keys/history_menu.h"
#include "win/keys/menu_states.h"
#include "win/platform/text_conversion.h"
#include "win/search/filter_command.h"
#include "win/settings/settings_transfer.h"
#include "win/shell/about_dialog.h"
#include "win/shell/app_state.h"
#include "win/shell/document_actions.h"
#include "win/shell/encoded_save.h"
#include "win/view/character_info_dialog.h"
#include "win/shell/file_dialogs.h"
#include "win/shell/follow_mode.h"
#include "win/shell/help.h"
#include "win/shell/load_steps.h"
#include "win/shell/main_layout.h"
#include "win/shell/main_window.h"
#include "win/shell/settings_commands.h"
#include "win/shell/toolbar.h"
#include "win/tools/open_with_tool.h"
#include "win/view/gutter.h"
#include "win/view/view_paint.h"
#include "win/view/view_scroll.h"

namespace vemora {
namespace {

constexpr wchar_t kPasteTitle[] = L"複写";
constexpr wchar_t kPasteQuestion[] =
    L"現在表示している文書を閉じて、クリップボードの内容を表示します。";
constexpr wchar_t kSaveTitle[] = L"名前を付けて保存(UTF16エンコーディング)";

void ForwardToView(WPARAM wParam, LPARAM lParam) {
  SendMessageW(gShell.viewWindow, WM_COMMAND, wParam, lParam);
  EnableInputMethod(false);
}

void ForwardToViewWithInputMethod(WPARAM wParam, LPARAM lParam) {
  EnableInputMethod(true);
  ForwardToView(wParam, lParam);
}

void RepaintViewAndGutter() {
  InvalidateRect(gShell.gutterWindow, nullptr, TRUE);
  InvalidateRect(gShell.viewWindow, nullptr, TRUE);
}

void OnRedraw() {
  RepaintViewAndGutter();
  if (CurrentDocument()) UpdateScrollBars();
}

void OnOpen() {
  EnableInputMethod(true);
  gShell.openDialogEncoding = -1;
  std::u16string path;
  if (ShowDocumentOpenDialog(gShell.mainWindow, path))
    OpenDocument(path, 0, gShell.openDialogEncoding);
  EnableInputMethod(false);
  UpdateMenuStates();
}

void OnPaste() {
  if (MessageBoxW(gShell.mainWindow, kPasteQuestion, kPasteTitle, MB_OKCANCEL) != IDOK) return;
  ShowClipboardText();
}

// FF FE, then the text as UTF-16 little endian, whatever it was read in.
void OnSaveAsUtf16() {
  if (!CurrentDocument()) return;
  EnableInputMethod(true);
  std::u16string path;
  // The dialog's loop may see the document reloaded or replaced: the save writes the one
  // shown now.
  if (ShowSaveDialog(gShell.mainWindow, path, kSaveTitle, L"\0", L""))
    SaveDocumentText(path, kEncodingUtf16Bom, LineEndChoice::kKeep);
  EnableInputMethod(false);
}

void OnHistory(UINT command) {
  if (auto path = HistoryEntryPath(command)) OpenDocument(*path, 0, -1);
  UpdateMenuStates();
}

void OnToggleLineNumbers() {
  if (!CurrentDocument()) return;
  gShell.LineNumbersShown = gShell.LineNumbersShown ? 0 : 1;
  SizeGutter();
  PlaceView();
  UpdateVisibleSize();
  UpdateScrollBars();
  ClampLeftColumn();
}

void OnEncoding(UINT command) {
  const Document* document = CurrentDocument();
  if (!document) return;
  const EncodingReload reload =
      EncodingReloadFor(static_cast<uint16_t>(command), document->encoding);
  if (reload.reload) ReloadCurrentDocument(reload.request);
}

void OnFileTypeSelector(UINT notification) {
  if (notification != CBN_SELCHANGE) return;
  if (CurrentDocument()) {
    const FileTypeSetting previous = CurrentFileType();
    const int selected = SelectedFileType();
    if (selected >= 0 && selected < gFileTypes.Count()) gFileTypeIndex = selected;
    ApplyFileTypeSetting(previous);
  }
  RepaintViewAndGutter();
}

// Only a document read from a file has a file to hand over.
void OnOpenWithTool(WPARAM wParam, LPARAM lParam) {
  const Document* document = CurrentDocument();
  if (!document || document->sourceKind != kSourceFile) return;
  OpenWithTool(*document, CurrentFileType(), gShell.mainWindow, wParam, lParam);
}

// Saving and following take the whole text: while a load runs they wait. (A find or a
// filter asked for meanwhile waits for it too, once its dialog has been answered.)
bool NeedsWholeDocument(UINT command) {
  return command == CmdSaveAsUtf16 || command == CmdSaveEncoded || command == CmdFollow;
}

bool IsViewCommand(UINT command) {
  switch (command) {
    case CmdLineDown:
    case CmdLineUp:
    case CmdPageDown:
    case CmdPageUp:
    case CmdFindNext:
    case CmdFindPrev:
    case CmdFiveLinesDown:
    case CmdFiveLinesUp:
    case CmdTop:
    case CmdBottom:
    case CmdCopy:
    case CmdCharRight:
    case CmdCharLeft:
    case CmdFiveCharsRight:
    case CmdFiveCharsLeft:
    case CmdShowMatches:
    case CmdJump:
    case CmdAppendCopy:
    case CmdQuotedCopy:
    case CmdSelectAll:
    case CmdLinesForward:
    case CmdLinesBack:
      return true;
    default:
      return false;
  }
}

}  // namespace

void DispatchMainCommand(WPARAM wParam, LPARAM lParam) {
  const UINT command = LOWORD(wParam);
  if (IsViewCommand(command)) return ForwardToView(wParam, lParam);
  if (command >= CmdHistory1 && command <= CmdHistory20) return OnHistory(command);
  if (NeedsWholeDocument(command) &&
      WaitForWholeDocument(gShell.mainWindow, WM_COMMAND, wParam, lParam))
    return;
  switch (command) {
    case CmdFind:
    case CmdFindBackward:
      ForwardToViewWithInputMethod(wParam, lParam);
      break;
    case CmdRedraw:
      OnRedraw();
      break;
    case CmdOpen:
      OnOpen();
      break;
    case CmdPaste:
      OnPaste();
      break;
    case CmdHelp:
      ShowHelpTopic(kHelpContents);
      break;
    case CmdQandA:
      ShowHelpTopic(kHelpQandA);
      break;
    case CmdAbout:
      ShowAboutDialog(gShell.mainWindow);
      break;
    case CmdExit:
      PostMessageW(gShell.mainWindow, WM_CLOSE, 0, 0);
      break;
    case CmdFileTypeSelector:
      OnFileTypeSelector(HIWORD(wParam));
      break;
    case CmdSaveAsUtf16:
      OnSaveAsUtf16();
      break;
    case CmdSaveEncoded:
      SaveInChosenEncoding();
      break;
    case CmdLineNumbers:
      OnToggleLineNumbers();
      break;
    case CmdOpenWithTool:
      OnOpenWithTool(wParam, lParam);
      break;
    case CmdFollow:
      ToggleFollowing();
      break;
    case CmdCharacterInfo:
      ShowCharacterInfoDialog(gShell.mainWindow);
      break;
    case CmdFilter:
      EnableInputMethod(true);
      FilterWithDialog();
      EnableInputMethod(false);
      break;
    case CmdUnfilter:
      RemoveFilter();
      break;
    case CmdEncodingSjis:
    case CmdEncodingJis:
    case CmdEncodingEuc:
    case CmdEncodingUtf16:
    case CmdEncodingUtf16Be:
    case CmdEncodingUtf8:
    case CmdEncodingUtf7:
      OnEncoding(command);
      break;
    case CmdEnvSettings:
      ShowEnvironmentSettings();
      break;
    case CmdFileTypeSettings:
      ShowFileTypeSettings();
      break;
    case CmdExportSettings:
      ExportSettings();
      break;
    case CmdImportSettings:
      RestoreSettings();
      break;
    case CmdClearSettings:
      ClearSettings();
      break;
    default:
      break;
  }
}

}  // namespace vemora
