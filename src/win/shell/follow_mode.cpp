// The window's side of following a growing file: the timer, a reload when the file shrank,
// was replaced or turned out to be in another encoding, and bringing the status bar,
// gutter, scroll bars, hits, menu and view up to date after the text grew.
#include "win/shell/follow_mode.h"

#include <windows.h>

#include "core/keys/commands.h"
#include "core/search/search.h"
#include "core/text/decode.h"
#include "core/text/encoding.h"
#include "core/text/follow.h"
#include "win/keys/menu_states.h"
#include "win/platform/text_measure.h"
#include "win/search/filter_command.h"
#include "win/search/find_command.h"
#include "win/shell/app_state.h"
#include "win/shell/document_actions.h"
#include "win/shell/main_layout.h"
#include "win/shell/status_bar.h"
#include "win/shell/window_messages.h"
#include "win/view/gutter.h"
#include "win/view/view_scroll.h"

namespace vemora {
namespace {

// Timer 1 of the main window belongs to the tool watches.
constexpr UINT kFollowInterval = 500;

struct Follower {
  bool on = false;
  bool reloading = false;  // the follower's own reload does not end following
  FollowState state;
};
Follower gFollower;

void StopFollowing() {
  if (!gFollower.on) return;
  gFollower.on = false;
  KillTimer(gShell.mainWindow, kFollowTimer);
  UpdateMenuStates();
}

// The last display line is on screen (an empty text counts as showing its end).
bool ShowsEnd(const Document& document) {
  return document.TopLine + gView.VisibleRows >= document.displayLineCount;
}

void KeepEndInView(bool showedEnd) {
  if (showedEnd) SendMessageW(gShell.viewWindow, WM_COMMAND, CmdBottom, 0);
}

void ShowGrowth(Document& document, bool showedEnd) {
  const int32_t gutterWidth = gView.GutterWidth;
  ComputeGutterWidth();
  if (gView.GutterWidth != gutterWidth) {
    SizeGutter();
    PlaceView();
  }
  UpdateScrollBars();
  // A filtered view gains its lines and hits from the filter; the stored search runs over
  // the followed text itself.
  if (&document == FollowedDocument())
    SearchGrownTextWithStoredFind(document, gFollower.state.changedFrom);
  ShowFileStatus(document);
  // A file followed while empty showed no encoding and no top line.
  SetStatusPart(kStatusEncodingPart, EncodingStatusName(document.encoding));
  SetEncodingCheckMarks(document.encoding);
  SetStatusPart(kStatusLineEndPart, LineEndName(document.lineEndKind));
  InvalidateRect(gShell.viewWindow, nullptr, TRUE);
  InvalidateRect(gShell.gutterWindow, nullptr, TRUE);
  KeepEndInView(showedEnd);
  SetStatusLineText(kStatusTopLinePart, document.TopLine);
  UpdateMenuStates();
}

// Reads the followed file again in full: with the encoding the user chose, or detected
// anew. The new document has no hits and no selection, and the menu says so.
void ReloadFollowedDocument(const Document& document) {
  gFollower.reloading = true;
  ReloadCurrentDocument(document.encodingRequest);
  gFollower.reloading = false;
  UpdateMenuStates();
}

// Prepares the current document; a document that no longer matches its file is read again.
bool StartOnCurrentDocument() {
  for (int attempt = 0; attempt < 2; ++attempt) {
    Document* document = FollowedDocument();
    if (!document || document->sourceKind != kSourceFile) return false;
    if (StartFollowing(*document, gFollower.state) == FollowResult::kUnchanged) return true;
    const bool showedEnd = ShowsEnd(*CurrentDocument());
    ReloadFollowedDocument(*document);
    if (CurrentDocument()) KeepEndInView(showedEnd);
  }
  return false;
}

void CALLBACK OnFollowTimer(HWND, UINT, UINT_PTR, DWORD) {
  PollFollowedDocument();
}

}  // namespace

void ToggleFollowing() {
  if (gFollower.on) return StopFollowing();
  if (!StartOnCurrentDocument()) return UpdateMenuStates();
  gFollower.on = true;
  SetTimer(gShell.mainWindow, kFollowTimer, kFollowInterval, OnFollowTimer);
  UpdateMenuStates();
}

bool IsFollowing() {
  return gFollower.on;
}

bool FollowerReloads() {
  return gFollower.reloading;
}

void NoteDocumentReplaced() {
  if (!gFollower.reloading) StopFollowing();
}

void PollFollowedDocument() {
  Document* document = FollowedDocument();
  if (!gFollower.on || !document) return StopFollowing();
  const bool showedEnd = ShowsEnd(*CurrentDocument());
  GdiTextMeasure measure(gShell.viewWindow, gView.ViewFont);
  switch (PollFollowedFile(*document, gFollower.state, CurrentLayoutParameters(), measure)) {
    case FollowResult::kUnchanged:
      return;
    case FollowResult::kExtended:
      ExtendFilteredViewAfterGrowth();
      return ShowGrowth(*CurrentDocument(), showedEnd);
    case FollowResult::kReload:
      ReloadFollowedDocument(*document);
      if (!CurrentDocument() || !StartOnCurrentDocument()) return StopFollowing();
      return KeepEndInView(showedEnd);
  }
}

}  // namespace vemora
