#include "support/WindowProbe.h"

namespace {

struct Search {
    DWORD pid;
    const char* caption;
    HWND found;
};

BOOL CALLBACK MatchDialog(HWND window, LPARAM context) {
    Search& search = *reinterpret_cast<Search*>(context);
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    char className[64] = {};
    GetClassNameA(window, className, sizeof className);
    if (pid == search.pid && IsWindowVisible(window) && lstrcmpA(className, "#32770") == 0 &&
        WindowText(window) == search.caption) {
        search.found = window;
        return FALSE;
    }
    return TRUE;
}

}  // namespace

std::string WindowText(HWND window) {
    char text[1024] = {};
    // WM_GETTEXT reaches windows of other processes too, unlike GetWindowText.
    SendMessageTimeoutA(window, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG, 2000,
                        nullptr);
    return text;
}

HWND FindDialog(DWORD pid, const char* caption) {
    Search search{pid, caption, nullptr};
    EnumWindows(MatchDialog, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

HWND WaitForDialog(DWORD pid, const char* caption, DWORD timeoutMs) {
    HWND found = nullptr;
    WaitUntil([&] { return (found = FindDialog(pid, caption)) != nullptr; }, timeoutMs);
    return found;
}

std::string MessageBoxText(HWND box) {
    const int kMessageTextId = 0xFFFF;  // the static control that holds a message box's text
    return WindowText(GetDlgItem(box, kMessageTextId));
}

void DismissMessageBox(HWND box) { PostMessageA(box, WM_COMMAND, IDOK, 0); }
