#pragma once

// The Win32 window's resources (tarnel-cache-converter.rc.in).
#define IDI_PROGRAM 1
#define IDI_LOGO 2
#define IDI_INFO 3
#define IDI_FOLDER_OPEN 4
#define IDI_FOLDER_CLOSED 5
#define IDC_HAND_POINTER 6
