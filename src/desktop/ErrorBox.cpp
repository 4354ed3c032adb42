#include "desktop/ErrorBox.h"

#include <windows.h>

void ShowError(const char* message) { MessageBoxA(nullptr, message, "Error", MB_OK | MB_ICONERROR); }
