// A find takes the selection as its search text (and removes the selection), asks for the
// text, enters it into the history and searches the whole document once, on a worker.
// Without a hit the old highlights go and the view stays where it is.
#include "win/search/find_command.h"

#include <windows.h>

#include <string>

#include "core/platform/out_of_memory.h"
#include "core/search/find_history.h"
#include "core/text/selection.h"
#include "win/keys/menu_states.h"
#include "win/platform/text_conversion.h"
#include "win/search/find_dialog.h"
#include "win/search/find_search.h"
#include "win/shell/app_state.h"
#include "win/view/view_scroll.h"
#include "win/view/view_window.h"

namespace vemora {

FindRequest gFindRequest;

namespace {

void PrepareSearchText(Document& document) {
  gFindRequest.text.clear();
  TextRange range;
  if (!SelectionRange(document, range)) return;
  gFindRequest.text = SearchTextFromRange(document.Text(), range, FindRequest::kTextCapacity);
  ClearSelection(document);
  InvalidateRect(gShell.viewWindow, nullptr, TRUE);
}

void ShowRegexError(const std::u16string& message) {
  MessageBoxW(gShell.mainWindow, ToWide(message).c_str(), AsWide(kProgramTitle), MB_OK);
}

}  // namespace

void ShowFailedLines(int32_t failedLines) {
  const std::wstring text = std::to_wstring(failedLines) + L" 行で検索を最後まで行えませんでした。";
  MessageBoxW(gShell.mainWindow, text.c_str(), AsWide(kProgramTitle), MB_OK | MB_ICONWARNING);
}

void ShowFindOutcome(const SearchOutcome& outcome) {
  // A rejected pattern never has hits, so the line is not used after its message box.
  if (!outcome.errorText.empty()) ShowRegexError(outcome.errorText);
  if (outcome.line >= 0) {
    gShell.ShowSearchResults = 1;
    ScrollToLine(outcome.line, true);
  } else {
    InvalidateRect(gShell.viewWindow, nullptr, TRUE);
    ViewBeep();
  }
  if (outcome.failedLines > 0) ShowFailedLines(outcome.failedLines);
  UpdateMenuStates();
}

void FindWithDialog(bool backward) {
  if (!CurrentDocument()) return;
  PrepareSearchText(*CurrentDocument());
  gFindRequest.Caps = gOptions.Caps;
  gFindRequest.Regx = gOptions.Regx;
  // The dialog's message loop may see the document reloaded or replaced: the search takes
  // the document shown when it starts, and applies its hits to the one shown when it ends.
  if (ShowFindDialog(gShell.mainWindow, gFindRequest, gOptions.FindHist)) {
    gOptions.Caps = gFindRequest.Caps;
    gOptions.Regx = gFindRequest.Regx;
    AddToFindHistory(gOptions.FindHist, gFindRequest.text);
    StartFindSearch(gFindRequest.text, gFindRequest.Caps, gFindRequest.Regx, backward);
  }
  UpdateMenuStates();
}

}  // namespace vemora
