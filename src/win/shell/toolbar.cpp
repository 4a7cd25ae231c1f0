// Toolbar images come from bitmap 104 (24 images of 16 × 16); the selector sits just
// right of the last separator.
#include "win/shell/toolbar.h"

#include <commctrl.h>

#include "core/keys/commands.h"
#include "win/platform/text_conversion.h"
#include "win/resources/resource_ids.h"
#include "win/shell/app_state.h"
#include "win/shell/dpi_scale.h"

namespace vemora {
namespace {

constexpr int kToolbarId = 1;
constexpr int kSelectorAnchorItem = 13;

TBBUTTON Button(int image, int command, BYTE style = BTNS_BUTTON) {
  TBBUTTON button{};
  button.iBitmap = image;
  button.idCommand = command;
  button.fsState = TBSTATE_ENABLED;
  button.fsStyle = style;
  return button;
}

TBBUTTON Separator() {
  return Button(0, 0, BTNS_SEP);
}

// The 16-pixel images enlarged pixel by pixel to `size` (sharp edges rather than blur), in
// an image list whose mask is the silver button face, as the toolbar maps it at 96 dpi.
HIMAGELIST ScaledImages(HINSTANCE instance, int size) {
  static HIMAGELIST images = nullptr;
  if (images) ImageList_Destroy(images);
  images = nullptr;
  HBITMAP original = LoadBitmapW(instance, MAKEINTRESOURCEW(IDB_TOOLBAR));
  if (!original) return nullptr;
  BITMAP shape{};
  GetObjectW(original, sizeof shape, &shape);
  HDC screen = GetDC(nullptr);
  HDC from = CreateCompatibleDC(screen), to = CreateCompatibleDC(screen);
  const int width = shape.bmWidth * size / 16;
  HBITMAP strip = CreateCompatibleBitmap(screen, width, size);
  HGDIOBJ oldFrom = SelectObject(from, original), oldTo = SelectObject(to, strip);
  SetStretchBltMode(to, COLORONCOLOR);
  StretchBlt(to, 0, 0, width, size, from, 0, 0, shape.bmWidth, shape.bmHeight, SRCCOPY);
  SelectObject(from, oldFrom);
  SelectObject(to, oldTo);
  DeleteDC(from);
  DeleteDC(to);
  ReleaseDC(nullptr, screen);
  DeleteObject(original);
  images = ImageList_Create(size, size, ILC_COLOR24 | ILC_MASK, shape.bmWidth / 16, 0);
  if (images) ImageList_AddMasked(images, strip, RGB(192, 192, 192));
  DeleteObject(strip);
  return images;
}

void CreateSelector(HWND toolbar, HINSTANCE instance) {
  RECT item{};
  SendMessageW(toolbar, TB_GETITEMRECT, kSelectorAnchorItem, reinterpret_cast<LPARAM>(&item));
  gShell.fileTypeSelector = CreateWindowExW(
      WS_EX_CLIENTEDGE, L"COMBOBOX", nullptr, WS_CHILD | WS_VISIBLE | WS_BORDER | CBS_DROPDOWNLIST,
      item.right, item.top, Scaled(180), Scaled(180), toolbar,
      reinterpret_cast<HMENU>(CmdFileTypeSelector), instance, nullptr);
  gShell.selectorFont = CreateFontW(item.bottom - item.top - Scaled(8), 0, 0, 0, 0, 0, 0, 0,
                                    SHIFTJIS_CHARSET, 0, 0, 0, 0, L"MS UI Gothic");
  SendMessageW(gShell.fileTypeSelector, WM_SETFONT, reinterpret_cast<WPARAM>(gShell.selectorFont),
               FALSE);
  FillFileTypeSelector();
}

}  // namespace

void CreateToolbar(HWND mainWindow, HINSTANCE instance) {
  const TBBUTTON buttons[] = {
      Separator(),
      Button(0, CmdOpen),
      Button(1, CmdSaveAsUtf16),
      Separator(),
      Button(2, CmdCopy),
      Button(3, CmdPaste),
      Separator(),
      Button(4, CmdFind),
      Button(5, CmdFindNext),
      Button(6, CmdFindPrev),
      Button(7, CmdShowMatches, BTNS_CHECK),
      Separator(),
      Button(8, CmdOpenWithTool),
      Separator(),
  };
  const int size = Scaled(16);
  HIMAGELIST images = size != 16 ? ScaledImages(instance, size) : nullptr;
  gShell.toolbar = CreateToolbarEx(
      mainWindow, WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | TBSTYLE_TOOLTIPS | CCS_TOP, kToolbarId,
      images ? 0 : 24, images ? nullptr : instance, images ? 0 : IDB_TOOLBAR, buttons, 14, size,
      size, size, size, sizeof(TBBUTTON));
  if (!gShell.toolbar) return;
  if (images) SendMessageW(gShell.toolbar, TB_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(images));
  RECT client{};
  GetClientRect(mainWindow, &client);
  MoveWindow(gShell.toolbar, 0, 0, client.right, Scaled(kToolbarHeight), TRUE);
  CreateSelector(gShell.toolbar, instance);
}

void FillFileTypeSelector() {
  if (!gShell.fileTypeSelector) return;
  SendMessageW(gShell.fileTypeSelector, CB_RESETCONTENT, 0, 0);
  for (const FileTypeSetting& type : gFileTypes.entries) {
    const std::wstring name = ToWide(type.Name);
    SendMessageW(gShell.fileTypeSelector, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name.c_str()));
  }
  SelectFileTypeInSelector(gFileTypeIndex);
}

void SelectFileTypeInSelector(int index) {
  if (gShell.fileTypeSelector) SendMessageW(gShell.fileTypeSelector, CB_SETCURSEL, index, 0);
}

int SelectedFileType() {
  if (!gShell.fileTypeSelector) return gFileTypeIndex;
  return static_cast<int>(SendMessageW(gShell.fileTypeSelector, CB_GETCURSEL, 0, 0));
}

const wchar_t* ToolbarTip(UINT command) {
  const CommandTexts* texts = FindCommandTexts(static_cast<uint16_t>(command));
  return texts && texts->tooltip ? AsWide(texts->tooltip) : nullptr;
}

}  // namespace vemora
