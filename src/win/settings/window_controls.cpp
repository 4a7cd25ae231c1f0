// Reading and writing dialog controls for the field table.
#include "win/settings/window_controls.h"

#include "win/platform/text_conversion.h"

namespace vemora {

HWND WindowControls::Item(int id) const {
  for (HWND window : windows_) {
    if (HWND item = GetDlgItem(window, id)) return item;
  }
  return nullptr;
}

std::u16string WindowControls::Text(int id) const {
  HWND item = Item(id);
  std::wstring text(static_cast<size_t>(GetWindowTextLengthW(item)) + 1, L'\0');
  text.resize(
      static_cast<size_t>(GetWindowTextW(item, text.data(), static_cast<int>(text.size()))));
  return ToUtf16(text);
}

void WindowControls::SetText(int id, std::u16string_view text) {
  SetWindowTextW(Item(id), ToWide(text).c_str());
}

bool WindowControls::Checked(int id) const {
  return SendMessageW(Item(id), BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void WindowControls::SetChecked(int id, bool checked) {
  SendMessageW(Item(id), BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
}

int32_t WindowControls::Position(int id) const {
  return static_cast<int32_t>(SendMessageW(Item(id), TBM_GETPOS, 0, 0));
}

void WindowControls::SetPosition(int id, int32_t position) {
  SendMessageW(Item(id), TBM_SETPOS, TRUE, position);
}

ColorRef WindowControls::Colour(int id) const {
  const auto found = colours_.find(id);
  return found == colours_.end() ? 0 : found->second;
}

void WindowControls::SetColour(int id, ColorRef colour) {
  colours_[id] = colour;
  InvalidateRect(Item(id), nullptr, TRUE);
}

void WindowControls::Enable(int id, bool enabled) const {
  EnableWindow(Item(id), enabled ? TRUE : FALSE);
}

void WindowControls::Show(int id, bool shown) const {
  ShowWindow(Item(id), shown ? SW_SHOW : SW_HIDE);
}

}  // namespace vemora
