// Page "体裁" of the file-type dialog: tab width, line spacing and wrapping, the colours
// (owner-drawn buttons opening the colour chooser), the marks, line numbering and the
// font.
#include <windows.h>
#include <commdlg.h>

#include <array>

#include "win/platform/font_conversion.h"
#include "win/shell/dpi_scale.h"
#include "win/resources/settings_dialog_ids.h"
#include "win/settings/file_type_pages.h"

namespace vemora {
namespace {

using Setting = FileTypeSetting;

const FieldLink<Setting> kLookFields[] = {
    NumberField(IDC_TAB_EDIT, IDC_TAB_SPIN, &Setting::Tab, 2, 2, 16),
    NumberField(IDC_LINE_SPACE_EDIT, IDC_LINE_SPACE_SPIN, &Setting::LineSp, 2, 0, 99),
    NumberField(IDC_FOLD_EDIT, IDC_FOLD_SPIN, &Setting::Fold, 3, 5, 260),
    CheckField(IDC_FOLD_RIGHT, &Setting::FoldRight),
    ColourField(IDC_TEXT_COLOUR, &Setting::TextCol),
    ColourField(IDC_HIGH_COLOUR, &Setting::HighCol),
    ColourField(IDC_BACK_COLOUR, &Setting::BackCol),
    ColourField(IDC_FIND_COLOUR, &Setting::FindCol),
    ColourField(IDC_CONTROL_COLOUR, &Setting::CtrlCol),
    CheckField(IDC_CR_MARK, &Setting::Cr),
    ColourField(IDC_CR_COLOUR, &Setting::CrCol),
    CheckField(IDC_TAB_MARK, &Setting::TabMark),
    ColourField(IDC_TAB_COLOUR, &Setting::TabCol),
    CheckField(IDC_HAN_SPACE_MARK, &Setting::HanSpcMark),
    ColourField(IDC_HAN_SPACE_COLOUR, &Setting::HanSpcCol),
    CheckField(IDC_ZEN_SPACE_MARK, &Setting::ZenSpcMark),
    ColourField(IDC_ZEN_SPACE_COLOUR, &Setting::ZenSpcCol),
    CheckField(IDC_LINE_NUMBERS, &Setting::LineNum),
    RadioField(IDC_COUNT_DISPLAY_LINES, IDC_COUNT_LOGICAL_LINES, &Setting::LineType),
};

FileTypeDialogState& StateOf(HWND page) {
  return *reinterpret_cast<FileTypeDialogState*>(GetWindowLongPtrW(page, DWLP_USER));
}

bool IsColourButton(int id) {
  for (const auto& link : kLookFields) {
    if (link.kind == FieldKind::kColour && link.controlId == id) return true;
  }
  return false;
}

void ApplyWrapRule(const FileTypeDialogState& state) {
  const bool fixedColumn = !state.controls.Checked(IDC_FOLD_RIGHT);
  state.controls.Enable(IDC_FOLD_EDIT, fixedColumn);
  state.controls.Enable(IDC_FOLD_SPIN, fixedColumn);
}

void OnChooseColour(FileTypeDialogState& state, int button) {
  const ColorRef current = state.controls.Colour(button);
  std::array<COLORREF, kCustomColourCount> custom{};
  const auto slots = CustomColours(current, state.working.Entries());
  std::copy(slots.begin(), slots.end(), custom.begin());
  CHOOSECOLORW request{};
  request.lStructSize = sizeof request;
  request.hwndOwner = state.frame;
  request.rgbResult = current;
  request.lpCustColors = custom.data();
  request.Flags = CC_RGBINIT | CC_FULLOPEN;
  if (ChooseColorW(&request)) state.controls.SetColour(button, request.rgbResult);
}

// The chooser works in this screen's pixels; the record keeps its 96-dpi size.
void OnChooseFont(FileTypeDialogState& state) {
  LOGFONTW font = LogFontForDpi(state.font, CurrentDpi());
  CHOOSEFONTW request{};
  request.lStructSize = sizeof request;
  request.hwndOwner = state.frame;
  request.lpLogFont = &font;
  request.Flags = CF_SCREENFONTS | CF_INITTOLOGFONTSTRUCT | CF_FORCEFONTEXIST;
  request.nFontType = SCREEN_FONTTYPE;
  if (!ChooseFontW(&request)) return;
  state.font = FontRecordAtDesignDpi(font, CurrentDpi());
  state.controls.SetText(IDC_FONT_NAME, state.font.FaceName());
}

void Line(HDC dc, int fromX, int fromY, int toX, int toY) {
  MoveToEx(dc, fromX, fromY, nullptr);
  LineTo(dc, toX, toY);
}

// The colour inside a black outline, with a white bevel at the top and left and a black
// one inside the bottom and right edges.
void DrawColourButton(const FileTypeDialogState& state, const DRAWITEMSTRUCT& item) {
  HDC dc = item.hDC;
  const RECT& r = item.rcItem;
  HBRUSH fill = CreateSolidBrush(state.controls.Colour(static_cast<int>(item.CtlID)));
  HGDIOBJ oldPen = SelectObject(dc, GetStockObject(BLACK_PEN));
  HGDIOBJ oldBrush = SelectObject(dc, fill);
  Rectangle(dc, r.left, r.top, r.right, r.bottom);
  Line(dc, r.left + 1, r.bottom - 2, r.right - 1, r.bottom - 2);
  Line(dc, r.right - 2, r.top + 1, r.right - 2, r.bottom - 1);
  SelectObject(dc, GetStockObject(WHITE_PEN));
  Line(dc, r.left, r.top, r.right - 1, r.top);
  Line(dc, r.left, r.top, r.left, r.bottom - 1);
  Line(dc, r.left + 1, r.top + 1, r.right - 2, r.top + 1);
  Line(dc, r.left + 1, r.top + 1, r.left + 1, r.bottom - 2);
  SelectObject(dc, oldBrush);
  SelectObject(dc, oldPen);
  DeleteObject(fill);
  if (item.itemState & ODS_FOCUS) {
    RECT focus = {r.left + 3, r.top + 3, r.right - 3, r.bottom - 3};
    DrawFocusRect(dc, &focus);
  }
}

void OnLookCommand(FileTypeDialogState& state, int id) {
  if (IsColourButton(id)) return OnChooseColour(state, id);
  if (id == IDC_FONT_CHANGE) return OnChooseFont(state);
  if (id == IDC_FOLD_RIGHT) ApplyWrapRule(state);
}

}  // namespace

std::span<const FieldLink<FileTypeSetting>> LookPageFields() {
  return kLookFields;
}

void ShowLookPage(FileTypeDialogState& state, const FileTypeSetting& entry) {
  ShowFields(LookPageFields(), entry, state.controls);
  state.font = entry.Font;
  state.controls.SetText(IDC_FONT_NAME, state.font.FaceName());
  ApplyWrapRule(state);
}

void TakeLookPage(const FileTypeDialogState& state, FileTypeSetting& entry) {
  TakeFields(LookPageFields(), state.controls, entry);
  entry.Font = state.font;
}

INT_PTR CALLBACK LookPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message != WM_INITDIALOG && !GetWindowLongPtrW(page, DWLP_USER)) return FALSE;
  switch (message) {
    case WM_INITDIALOG:
      SetWindowLongPtrW(page, DWLP_USER, lParam);
      PrepareFields(LookPageFields(), WindowControls{page});
      return FALSE;
    case WM_COMMAND:
      if (HIWORD(wParam) == BN_CLICKED) OnLookCommand(StateOf(page), LOWORD(wParam));
      return TRUE;
    case WM_DRAWITEM:
      DrawColourButton(StateOf(page), *reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
      return TRUE;
    default:
      return FALSE;
  }
}

}  // namespace vemora
