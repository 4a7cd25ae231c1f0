// The window's side of a load in steps: the job of the document shown, its steps joined as
// they arrive, the "VemoraLoading" property and the progress part of the status bar while
// it runs, and the commands that need the whole document, which wait for its end.
#pragma once

#include <windows.h>

#include <memory>

#include "core/text/load_job.h"
#include "win/shell/window_messages.h"

namespace vemora {

// Set on the main window from before the title first names a file loaded in steps until
// its load ends or stops.
inline constexpr wchar_t kLoadingProperty[] = L"VemoraLoading";

// How files are cut into steps; tests make the steps small or pause the load.
LoadJobOptions& LoadStepOptions();
// What the next load is to use: null loads in one go (the follower's, which goes on from
// the whole text at once, or a load that could not go in steps).
const LoadJobOptions* StepOptionsForLoad();

bool LoadRunning();
// While a load runs: the display lines the whole file is likely to have, judging by the
// part joined so far (a tenth more); 0 otherwise.
int32_t EstimatedLineCount();
// The load's job, for tests; null while none runs.
LoadJob* RunningLoadJob();
// Tests: the load waits at its pause, and the window shows every step before it.
bool LoadWaitsAtPauseAndShowsAll();

// The new current document holds only its first step: called before the refresh.
void BeginLoadSteps(std::shared_ptr<LoadJob> job);
// At the end of the refresh: the workers start with the layout the refresh chose.
void StartLoadSteps();
// WM_LOAD_STEP: the steps that are ready are joined soon after (JoinLoadSteps).
void OnLoadSteps();
// Joins the steps that are ready and, after the last one, ends the load.
void JoinLoadSteps();
// Another document is coming, or the window closes: the workers stop, and the document
// (if still there) keeps what was joined.
void StopLoad();
// The loaded part was laid out again: the steps still to come use the new layout.
void NoteLayoutChanged();

// A command that needs the whole document, given while the load runs, is kept (the last
// one only) with the wait cursor shown, and sent again once the load has ended. True when
// it was kept; the caller then does nothing now.
bool WaitForWholeDocument(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
bool CommandWaitsForLoad();
// The main window's WM_ENABLE: a command whose load ended under a modal loop goes now.
void SendCommandThatWaitedForModal();
// In the message loop: Esc drops the waiting command and leaves the load running. True
// when it dropped one.
bool DropWaitingCommandOnEscape(const MSG& message);

}  // namespace vemora
