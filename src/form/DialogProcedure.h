#pragma once

#include <windows.h>

INT_PTR CALLBACK DlgProc(HWND window, UINT message, WPARAM first, LPARAM second);
