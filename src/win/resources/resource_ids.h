// Numbers of the resources compiled into vemora.exe.
#pragma once

#define IDI_VEMORA 101
#define IDR_MAINMENU 102
#define IDB_TOOLBAR 104

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
