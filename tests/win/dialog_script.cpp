// The dialog script's timer and the helpers that act on dialogs as a user would.
#include "dialog_script.h"

#include <commctrl.h>

namespace vemora::testing {
namespace {

DialogScript* gScript = nullptr;
constexpr UINT kTickMilliseconds = 20;
constexpr int kTicksPerStep = 250;  // five seconds

BOOL CALLBACK CollectDialog(HWND window, LPARAM found) {
  wchar_t className[16] = {};
  GetClassNameW(window, className, 16);
  if (std::wstring_view(className) == L"#32770" && IsWindowVisible(window) &&
      IsWindowEnabled(window))
    *reinterpret_cast<HWND*>(found) = window;
  return TRUE;
}

}  // namespace

DialogScript::DialogScript(std::vector<Step> steps) : steps_(std::move(steps)) {
  gScript = this;
  timer_ = SetTimer(nullptr, 0, kTickMilliseconds, Tick);
}

DialogScript::~DialogScript() {
  KillTimer(nullptr, timer_);
  gScript = nullptr;
}

void CALLBACK DialogScript::Tick(HWND, UINT, UINT_PTR, DWORD) {
  if (gScript && !gScript->running_) gScript->RunStep();
}

void DialogScript::RunStep() {
  running_ = true;
  HWND dialog = FrontDialog();
  if (dialog && !Finished() && steps_[next_](dialog)) {
    ++next_;
    ticksOnStep_ = 0;
  } else if (dialog && ++ticksOnStep_ > kTicksPerStep) {
    // Stuck, or a dialog left open after the last step: cancel it so the test goes on.
    cancelled_.push_back(WindowText(dialog));
    PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
    ticksOnStep_ = 0;
  }
  running_ = false;
}

::testing::AssertionResult RunScripted(const std::function<void()>& action,
                                       std::vector<DialogScript::Step> steps) {
  const size_t count = steps.size();
  DialogScript script(std::move(steps));
  action();
  if (!script.Finished())
    return ::testing::AssertionFailure()
           << "stuck at step " << script.StepsDone() + 1 << " of " << count;
  if (!script.Cancelled().empty())
    return ::testing::AssertionFailure() << "a dialog no step expected: " << script.Cancelled()[0];
  return ::testing::AssertionSuccess();
}

DialogScript::Step On(std::wstring caption, std::function<void(HWND dialog)> action) {
  return [caption = std::move(caption), action = std::move(action)](HWND dialog) {
    if (WindowText(dialog) != caption) return false;
    action(dialog);
    return true;
  };
}

HWND FrontDialog() {
  HWND found = nullptr;
  EnumThreadWindows(GetCurrentThreadId(), CollectDialog, reinterpret_cast<LPARAM>(&found));
  return found;
}

HWND Item(HWND dialog, int id) {
  if (HWND own = GetDlgItem(dialog, id)) return own;
  return FindDescendant(dialog, id);
}

std::wstring ItemText(HWND dialog, int id) {
  return WindowText(Item(dialog, id));
}

void SetItemText(HWND dialog, int id, std::wstring_view text) {
  SetWindowTextW(Item(dialog, id), std::wstring(text).c_str());
}

void Click(HWND dialog, int id) {
  HWND control = Item(dialog, id);
  PostMessageW(GetParent(control), WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
               reinterpret_cast<LPARAM>(control));
}

void PressEscape(HWND dialog) {
  PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
}

void SetCheck(HWND dialog, int id, bool checked) {
  SendMessageW(Item(dialog, id), BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
}

bool IsChecked(HWND dialog, int id) {
  return SendMessageW(Item(dialog, id), BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void SelectListItem(HWND dialog, int id, int index) {
  HWND control = Item(dialog, id);
  SendMessageW(control, LB_SETCURSEL, static_cast<WPARAM>(index), 0);
  PostMessageW(GetParent(control), WM_COMMAND, MAKEWPARAM(id, LBN_SELCHANGE),
               reinterpret_cast<LPARAM>(control));
}

void SelectComboItem(HWND dialog, int id, int index) {
  HWND control = Item(dialog, id);
  SendMessageW(control, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
  PostMessageW(GetParent(control), WM_COMMAND, MAKEWPARAM(id, CBN_SELCHANGE),
               reinterpret_cast<LPARAM>(control));
}

int ListSelection(HWND dialog, int id) {
  wchar_t className[32] = {};
  HWND control = Item(dialog, id);
  GetClassNameW(control, className, 32);
  const UINT message = std::wstring_view(className) == L"ComboBox" ? CB_GETCURSEL : LB_GETCURSEL;
  return static_cast<int>(SendMessageW(control, message, 0, 0));
}

void SelectTreeItem(HWND dialog, int id, int index) {
  HWND tree = Item(dialog, id);
  auto item = reinterpret_cast<HTREEITEM>(SendMessageW(tree, TVM_GETNEXTITEM, TVGN_ROOT, 0));
  for (int i = 0; i < index && item; ++i)
    item = reinterpret_cast<HTREEITEM>(
        SendMessageW(tree, TVM_GETNEXTITEM, TVGN_NEXT, reinterpret_cast<LPARAM>(item)));
  SendMessageW(tree, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(item));
}

}  // namespace vemora::testing
