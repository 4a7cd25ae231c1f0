// A find takes the selection as its search text (and removes the selection), asks for the
// text, enters it into the history and searches the whole document once. Without a hit
// the old highlights go and the view stays where it is.
#include "win/search/find_command.h"

#include <windows.h>

#include "core/search/find_history.h"
#include "core/text/selection.h"
#include "win/keys/menu_states.h"
#include "win/platform/text_conversion.h"
#include "win/search/find_dialog.h"
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
  MessageBoxW(gShell.mainWindow, ToWide(message).c_str(), L"Vemora", MB_OK);
}

void Search(Document& document, bool backward) {
  const SearchOutcome outcome = SearchDocument(document, document.TopLine, gFindRequest.text,
                                               gOptions.Caps, gOptions.Regx, backward);
  if (!outcome.errorText.empty()) ShowRegexError(outcome.errorText);
  if (outcome.line >= 0) {
    gShell.ShowSearchResults = 1;
    ScrollToLine(outcome.line, true);
    return;
  }
  InvalidateRect(gShell.viewWindow, nullptr, TRUE);
  ViewBeep();
}

}  // namespace

void FindWithDialog(bool backward) {
  Document* document = CurrentDocument();
  if (!document) return;
  PrepareSearchText(*document);
  gFindRequest.Caps = gOptions.Caps;
  gFindRequest.Regx = gOptions.Regx;
  if (ShowFindDialog(gShell.mainWindow, gFindRequest, gOptions.FindHist)) {
    gOptions.Caps = gFindRequest.Caps;
    gOptions.Regx = gFindRequest.Regx;
    AddToFindHistory(gOptions.FindHist, gFindRequest.text);
    Search(*document, backward);
  }
  UpdateMenuStates();
}

}  // namespace vemora
