// Numbers of the resources compiled into vemora.exe.
#pragma once

#define IDI_VEMORA 101
#define IDR_MAINMENU 102
#define IDB_TOOLBAR 104

// The character information dialog.
#define IDD_CHARACTER_INFO 190
#define IDC_CHARACTER_INFO_TEXT 1000
#define IDC_CHARACTER_INFO_COPY 1001
