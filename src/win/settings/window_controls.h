// The settings dialogs' controls as the field table sees them: texts, check boxes, track
// bars and the working colours of owner-drawn colour buttons, found by id in one or more
// dialog windows (a frame's pages).
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <initializer_list>
#include <map>
#include <span>
#include <vector>

#include "core/settings/dialog_fields.h"

namespace vemora {

class WindowControls final : public DialogControls {
 public:
  WindowControls() = default;
  explicit WindowControls(std::initializer_list<HWND> windows) : windows_(windows) {}
  void SetWindows(std::initializer_list<HWND> windows) { windows_ = windows; }

  // The control with the id in the first window that has one; null when none has.
  HWND Item(int id) const;

  std::u16string Text(int id) const override;
  void SetText(int id, std::u16string_view text) override;
  bool Checked(int id) const override;
  void SetChecked(int id, bool checked) override;
  int32_t Position(int id) const override;
  void SetPosition(int id, int32_t position) override;
  ColorRef Colour(int id) const override;
  // Keeps the colour and redraws its button.
  void SetColour(int id, ColorRef colour) override;

  void Enable(int id, bool enabled) const;
  void Show(int id, bool shown) const;

 private:
  std::vector<HWND> windows_;
  std::map<int, ColorRef> colours_;
};

// Gives the linked edits their length limits and the up-downs and track bars their
// ranges, from the same table that shows and takes back the fields.
template <typename Record>
void PrepareFields(std::span<const FieldLink<Record>> links, const WindowControls& controls) {
  for (const FieldLink<Record>& link : links) {
    HWND item = controls.Item(link.controlId);
    switch (link.kind) {
      case FieldKind::kNumber:
        SendMessageW(item, EM_LIMITTEXT, static_cast<WPARAM>(link.limit), 0);
        if (link.secondId)
          SendMessageW(controls.Item(link.secondId), UDM_SETRANGE32,
                       static_cast<WPARAM>(link.minimum), link.maximum);
        break;
      case FieldKind::kText:
        SendMessageW(item, EM_LIMITTEXT, static_cast<WPARAM>(link.limit), 0);
        break;
      case FieldKind::kPosition:
        SendMessageW(item, TBM_SETRANGEMIN, FALSE, link.minimum);
        SendMessageW(item, TBM_SETRANGEMAX, TRUE, link.maximum);
        break;
      default:
        break;
    }
  }
}

}  // namespace vemora
