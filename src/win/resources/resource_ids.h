// Numbers of the resources compiled into vemora.exe.
#pragma once

#define IDI_VEMORA 101
#define IDR_MAINMENU 102
#define IDB_TOOLBAR 104

// Confirmation before all settings are cleared.
#define IDD_CLEAR_SETTINGS 143
