// Numbers of the resources compiled into vemora.exe.
#pragma once

#define IDI_VEMORA 101
#define IDR_MAINMENU 102
#define IDB_TOOLBAR 104

// The encoding panel of the document open dialog.
#define IDD_ENCODING_PANEL 113
#define IDC_ENCODING_PANEL_PLACE 1119  // where the system puts the standard dialog
#define IDC_ENCODING_LIST 1098

// The about box.
#define IDD_ABOUT 100
#define IDC_ABOUT_NAME 1201
#define IDC_ABOUT_VERSION 1202
