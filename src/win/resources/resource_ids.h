// Numbers of the resources compiled into vemora.exe.
#pragma once

#define IDI_VEMORA 101
#define IDR_MAINMENU 102
#define IDB_TOOLBAR 104

// Confirmation before all settings are cleared.
#define IDD_CLEAR_SETTINGS 143

// The find dialog and the view's jump dialog.
#define IDD_FIND 104
#define IDD_JUMP 170
#define IDC_FIND_TEXT 1061
#define IDC_FIND_CASE 1062
#define IDC_FIND_REGEX 1063
#define IDC_FIND_HELP 9
// The filter dialog shares the find dialog's text, switches and buttons.
#define IDD_FILTER 171
#define IDC_FILTER_INVERT 1064
#define IDC_JUMP_LINE 1000
#define IDC_JUMP_UNUSED 1040

// The encoding panel of the document open dialog.
#define IDD_ENCODING_PANEL 113
#define IDC_ENCODING_PANEL_PLACE 1119  // where the system puts the standard dialog
#define IDC_ENCODING_LIST 1098

// The panel of the save dialog that writes in an encoding of one's choice: the same place
// and encoding list ids as the open dialog's panel, and the line-end list.
#define IDD_SAVE_ENCODING_PANEL 116
#define IDC_LINE_END_LIST 1099

// The about box.
#define IDD_ABOUT 100
#define IDC_ABOUT_NAME 1201
#define IDC_ABOUT_VERSION 1202

// Settings dialogs: the environment sheet's pages, the file-type dialog's frame and pages,
// the one-line input boxes, the delete confirmation and the message dialog. Their control
// ids are in settings_dialog_ids.h.
#define IDD_OTHER_PAGE 109
#define IDD_CONFIRM_DELETE 114
#define IDD_NAME_INPUT 145
#define IDD_KEY_PAGE 146
#define IDD_PATTERN_INPUT 163
#define IDD_MESSAGE 164
#define IDD_FILE_TYPE_FRAME 165
#define IDD_LOOK_PAGE 166
#define IDD_TOOL_PAGE 167
#define IDD_FILE_NAME_PAGE 168

// The character information dialog.
#define IDD_CHARACTER_INFO 190
#define IDC_CHARACTER_INFO_TEXT 1000
#define IDC_CHARACTER_INFO_COPY 1001
