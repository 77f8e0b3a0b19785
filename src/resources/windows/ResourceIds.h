#pragma once

// Ids of the program's resources, shared by the resource script and the window's code.
#define VELTRA_IDD_ABOUT 100
#define VELTRA_IDS_ABOUT_ENTRY 101
#define VELTRA_IDD_MAIN 102
#define VELTRA_IDI_MAIN 128
#define VELTRA_IDB_BACKGROUND 129
// The About entry of the system menu.
#define VELTRA_IDM_ABOUT 0x0010
