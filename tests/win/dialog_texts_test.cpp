// Every text of every dialog template fits its control at the screen's dpi: each static
// and button text is measured in the dialog's own font against the control's rectangle.
// Run in the suite at 96 dpi and again at 144 and 192 dpi by tests/e2e/high_dpi.sh, since
// glyph widths do not grow in step with the dialog units.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "win/resources/resource_ids.h"
#include "win/resources/settings_dialog_ids.h"
#include "win/settings/message_dialog.h"
#include "dialog_script.h"

namespace vemora::testing {
namespace {

std::vector<int> DialogTemplateIds() {
  std::vector<int> ids;
  EnumResourceNamesW(
      GetModuleHandleW(nullptr), RT_DIALOG,
      [](HMODULE, LPCWSTR, LPWSTR name, LONG_PTR found) -> BOOL {
        if (IS_INTRESOURCE(name))
          reinterpret_cast<std::vector<int>*>(found)->push_back(
              static_cast<int>(reinterpret_cast<uintptr_t>(name)));
        return TRUE;
      },
      reinterpret_cast<LONG_PTR>(&ids));
  return ids;
}

INT_PTR CALLBACK InertDialogProc(HWND, UINT message, WPARAM, LPARAM) {
  return message == WM_INITDIALOG;
}

std::wstring ClassOf(HWND window) {
  wchar_t name[64] = {};
  GetClassNameW(window, name, 64);
  return name;
}

std::wstring TextOf(HWND window) {
  std::wstring text(static_cast<size_t>(GetWindowTextLengthW(window)) + 1, L'\0');
  text.resize(
      static_cast<size_t>(GetWindowTextW(window, text.data(), static_cast<int>(text.size()))));
  return text;
}

// The room the text needs, as the control draws it: one line, or lines broken to `width`.
SIZE TextExtent(HDC dc, const std::wstring& text, int width, bool wrap, bool prefix) {
  RECT box{0, 0, wrap ? width : 0, 0};
  UINT format = DT_CALCRECT | DT_EXPANDTABS | (wrap ? DT_WORDBREAK : DT_SINGLELINE);
  if (!prefix) format |= DT_NOPREFIX;
  DrawTextW(dc, text.c_str(), -1, &box, format);
  return {box.right - box.left, box.bottom - box.top};
}

// What does not fit, one line per control; empty when everything fits.
std::vector<std::wstring> ClippedTexts(HWND dialog) {
  std::vector<std::wstring> clipped;
  HDC dc = GetDC(dialog);
  const int dpi = GetDeviceCaps(dc, LOGPIXELSX);
  const HGDIOBJ previous =
      SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageW(dialog, WM_GETFONT, 0, 0)));
  for (HWND control = GetWindow(dialog, GW_CHILD); control;
       control = GetWindow(control, GW_HWNDNEXT)) {
    const std::wstring text = TextOf(control);
    if (text.empty()) continue;
    RECT rect{};
    GetClientRect(control, &rect);
    const LONG style = GetWindowLongW(control, GWL_STYLE);
    const std::wstring kind = ClassOf(control);
    int room = rect.right;
    SIZE need{};
    if (kind == L"Static") {
      const LONG type = style & SS_TYPEMASK;
      if (type != SS_LEFT && type != SS_CENTER && type != SS_RIGHT && type != SS_LEFTNOWORDWRAP &&
          type != SS_SIMPLE)
        continue;
      const bool wrap = type == SS_LEFT || type == SS_CENTER || type == SS_RIGHT;
      need = TextExtent(dc, text, room, wrap, !(style & SS_NOPREFIX));
    } else if (kind == L"Button") {
      const LONG type = style & BS_TYPEMASK;
      if (type == BS_OWNERDRAW) continue;
      const bool box = type == BS_CHECKBOX || type == BS_AUTOCHECKBOX || type == BS_RADIOBUTTON ||
                       type == BS_AUTORADIOBUTTON || type == BS_3STATE || type == BS_AUTO3STATE;
      // The check box and the gap after it; a push button's bevel and a group box's corner.
      if (box)
        room -= MulDiv(13 + 4, dpi, 96);
      else
        room -= MulDiv(type == BS_GROUPBOX ? 10 : 6, dpi, 96);
      need = TextExtent(dc, text, room, (style & BS_MULTILINE) != 0, true);
    } else {
      continue;
    }
    if (need.cx > room || need.cy > rect.bottom) {
      clipped.push_back(L"control " + std::to_wstring(GetDlgCtrlID(control)) + L" \"" + text +
                        L"\" needs " + std::to_wstring(need.cx) + L"x" + std::to_wstring(need.cy) +
                        L", has " + std::to_wstring(room) + L"x" + std::to_wstring(rect.bottom));
    }
  }
  SelectObject(dc, previous);
  ReleaseDC(dialog, dc);
  return clipped;
}

int ScreenDpi() {
  HDC screen = GetDC(nullptr);
  const int dpi = GetDeviceCaps(screen, LOGPIXELSX);
  ReleaseDC(nullptr, screen);
  return dpi;
}

TEST(HighDpi, EveryDialogTextFitsItsControl) {
  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_WIN95_CLASSES};
  InitCommonControlsEx(&controls);
  // Pages are child windows: they need a parent, which stays hidden.
  HWND host = CreateWindowExW(0, L"Static", L"", WS_POPUP, 0, 0, 800, 600, nullptr, nullptr,
                              GetModuleHandleW(nullptr), nullptr);
  const std::vector<int> ids = DialogTemplateIds();
  EXPECT_GE(ids.size(), 15u);
  for (const int id : ids) {
    HWND dialog = CreateDialogParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(id), host,
                                     InertDialogProc, 0);
    ASSERT_NE(dialog, nullptr) << "dialog " << id;
    for (const std::wstring& clipped : ClippedTexts(dialog))
      ADD_FAILURE() << "dialog " << id << " at " << ScreenDpi() << " dpi: " << clipped;
    DestroyWindow(dialog);
  }
  DestroyWindow(host);
}

// The message dialog holds texts of any length: it grows to them.
TEST(HighDpi, MessageDialogGrowsToItsText) {
  const std::wstring texts[] = {
      L"OK",
      L"このファイルはVemoraの設定ファイルではないか、壊れています。設定は変更されていません。",
      std::wstring(3, L'長') + L" " + std::wstring(200, L'W'),
      L"一行目\r\n二行目\r\n三行目\r\n四行目\r\n五行目",
  };
  for (const std::wstring& text : texts) {
    std::vector<std::wstring> clipped;
    RECT button{}, frame{};
    EXPECT_TRUE(
        RunScripted([&] { ShowMessageDialog(nullptr, std::u16string(text.begin(), text.end())); },
                    {On(L"Vemora", [&](HWND dialog) {
                      clipped = ClippedTexts(dialog);
                      GetWindowRect(GetDlgItem(dialog, IDOK), &button);
                      GetClientRect(dialog, &frame);
                      MapWindowPoints(dialog, nullptr, reinterpret_cast<POINT*>(&frame), 2);
                      PostMessageW(dialog, WM_COMMAND, IDOK, 0);
                    })}));
    for (const std::wstring& line : clipped) ADD_FAILURE() << ScreenDpi() << " dpi: " << line;
    EXPECT_LE(button.bottom, frame.bottom) << text;
    EXPECT_LE(button.right, frame.right) << text;
  }
}

}  // namespace
}  // namespace vemora::testing
