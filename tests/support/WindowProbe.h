#pragma once

#include <windows.h>

#include <string>

// Finding and answering the program's windows from a test, in-process or not.

// The visible top-level dialog of process `pid` with this caption, or null.
HWND FindDialog(DWORD pid, const char* caption);

// Polls FindDialog until it answers or `timeoutMs` pass.
HWND WaitForDialog(DWORD pid, const char* caption, DWORD timeoutMs);

// The text of a message box (its static text control).
std::string MessageBoxText(HWND box);

// Presses a message box's OK button.
void DismissMessageBox(HWND box);

std::string WindowText(HWND window);

// Polls `condition` every 20 ms until it holds or `timeoutMs` pass.
template <class Condition>
bool WaitUntil(Condition condition, DWORD timeoutMs) {
    const DWORD start = GetTickCount();
    for (;;) {
        if (condition()) return true;
        if (GetTickCount() - start >= timeoutMs) return false;
        Sleep(20);
    }
}
