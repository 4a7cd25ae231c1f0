// The process-wide state of the viewer, kept in one place: the settings records, the
// current document and file type, the shell's windows and handles, and the view metrics.
#pragma once

#include <windows.h>

#include <memory>
#include <string>

#include "core/settings/settings_model.h"
#include "core/text/document.h"

namespace vemora {

struct ShellState {
  HINSTANCE instance = nullptr;
  HWND mainWindow = nullptr;
  HWND toolbar = nullptr;           // none when Tbar was 0 at start
  HWND fileTypeSelector = nullptr;  // inside the toolbar
  HFONT selectorFont = nullptr;
  HWND statusBar = nullptr;  // none when Sbar was 0 at start
  HWND gutterWindow = nullptr;
  HWND viewWindow = nullptr;
  HACCEL accelerators = nullptr;
  HWND helpWindow = nullptr;
  DWORD_PTR helpCookie = 0;
  std::u16string helpFilePath;
  std::u16string iniFilePath;
  std::u16string registryRoot;  // under HKEY_CURRENT_USER
  int32_t LineNumbersShown = 0;
  bool saveSettingsAtExit = true;
  int32_t openDialogEncoding = -1;
  int32_t ShowSearchResults = 1;
};

// Fonts, brushes and sizes of the text view, shared with the gutter.
struct ViewState {
  HFONT ViewFont = nullptr;
  int32_t AverageCharWidth = 1;  // also the column width
  int32_t CharHeight = 1;
  int32_t LinePitch = 1;
  int32_t VisibleRows = 0;
  int32_t VisibleColumns = 0;
  HBRUSH BackgroundBrush = nullptr;
  int32_t GutterWidth = 0;
};

extern AppOptions gOptions;
extern FileTypeSettingList gFileTypes;
extern int32_t gFileTypeIndex;
extern std::unique_ptr<Document> gDocument;
extern ShellState gShell;
extern ViewState gView;

inline Document* CurrentDocument() {
  return gDocument.get();
}
const FileTypeSetting& CurrentFileType();

// Back to the state before start-up (a test may start the viewer several times).
void ResetApplicationState();

}  // namespace vemora
