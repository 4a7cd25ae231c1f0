// Drives the modal dialogs that a command opens, from inside their own message loops: a
// thread timer runs the steps in order, each on the innermost dialog shown at the time,
// as a user would act on whatever window is in front.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "window_search.h"

namespace vemora::testing {

class DialogScript {
 public:
  // A step returns false while the dialog in front is not yet the one it acts on; it is
  // tried again on the next tick. Steps that open another modal dialog must post.
  using Step = std::function<bool(HWND dialog)>;

  explicit DialogScript(std::vector<Step> steps);
  ~DialogScript();
  DialogScript(const DialogScript&) = delete;
  DialogScript& operator=(const DialogScript&) = delete;

  // True when every step ran; otherwise the dialogs were cancelled after a time-out.
  bool Finished() const { return next_ == steps_.size(); }
  size_t StepsDone() const { return next_; }
  // The captions of the dialogs cancelled because no step took them: a stuck step's, or
  // one shown that the script did not expect.
  const std::vector<std::wstring>& Cancelled() const { return cancelled_; }

 private:
  static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD);
  void RunStep();

  std::vector<Step> steps_;
  std::vector<std::wstring> cancelled_;
  size_t next_ = 0;
  int ticksOnStep_ = 0;
  bool running_ = false;
  UINT_PTR timer_ = 0;
};

// Runs `action` (a command that opens dialogs, say) while a script of the steps answers
// them; fails unless every step ran and no other dialog had to be cancelled.
::testing::AssertionResult RunScripted(const std::function<void()>& action,
                                       std::vector<DialogScript::Step> steps);

// A step that acts only on the dialog with this caption.
DialogScript::Step On(std::wstring caption, std::function<void(HWND dialog)> action);

// The innermost enabled dialog of this thread; null when none is shown.
HWND FrontDialog();
// The dialog's own control with the id, else the first control with it in its pages.
HWND Item(HWND dialog, int id);
std::wstring ItemText(HWND dialog, int id);
void SetItemText(HWND dialog, int id, std::wstring_view text);
// Posts the click, as the control would.
void Click(HWND dialog, int id);
// What Esc does: the dialog gets IDCANCEL, whether or not it has such a button.
void PressEscape(HWND dialog);
void SetCheck(HWND dialog, int id, bool checked);
bool IsChecked(HWND dialog, int id);
// Selects a list-box or combo-box item and posts the selection change.
void SelectListItem(HWND dialog, int id, int index);
void SelectComboItem(HWND dialog, int id, int index);
int ListSelection(HWND dialog, int id);
// Selects a page of the file-type dialog's tree by its position.
void SelectTreeItem(HWND dialog, int id, int index);

}  // namespace vemora::testing
