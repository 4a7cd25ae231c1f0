// What the file-type dialog's frame and its three pages share while it is open: the
// working list, the selected entry, the pages, and the working pattern list and font of
// the selected entry (its working colours live in the controls).
#pragma once

#include <windows.h>

#include <array>
#include <cstdint>
#include <span>

#include "core/settings/dialog_fields.h"
#include "core/settings/file_type_editing.h"
#include "win/settings/window_controls.h"

namespace vemora {

inline constexpr int kFileTypePageCount = 3;

struct FileTypeDialogState {
  explicit FileTypeDialogState(const FileTypeSettingList& live) : working(live) {}

  FileTypeWorkingList working;
  FileTypeSettingList* live = nullptr;  // replaced on OK
  int32_t selected = 0;
  int currentPage = 0;
  HWND frame = nullptr;
  std::array<HWND, kFileTypePageCount> pages{};
  WindowControls controls;  // over the three pages
  StringList patterns;      // page "ファイル名", in the order shown
  FontRecord font;
};

// The page procedures; each takes the state from WM_INITDIALOG's lParam.
INT_PTR CALLBACK FileNamePageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK LookPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK ToolPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam);

// The fields of pages "体裁" and "ツール" and their controls.
std::span<const FieldLink<FileTypeSetting>> LookPageFields();
std::span<const FieldLink<FileTypeSetting>> ToolPageFields();

// Each page shows the selected working entry, and later puts what it shows back into it.
void ShowFileNamePage(FileTypeDialogState& state, const FileTypeSetting& entry);
void ShowLookPage(FileTypeDialogState& state, const FileTypeSetting& entry);
void ShowToolPage(FileTypeDialogState& state, const FileTypeSetting& entry);
void TakeLookPage(const FileTypeDialogState& state, FileTypeSetting& entry);

// The common entry (0) takes no patterns: page "ファイル名" shows only why.
void ApplyCommonEntryRule(FileTypeDialogState& state);

}  // namespace vemora
