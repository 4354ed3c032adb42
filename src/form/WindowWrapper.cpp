#include "form/WindowWrapper.h"

void WindowWrapper::Attach(HWND target, HWND insertAfter, int x, int y, int width, int height, UINT flags) {
    window = target;
    SetWindowPos(window, insertAfter, x, y, width, height, flags);
    ShowWindow(window, SW_SHOW);
}

void WindowWrapper::ShowControl(int id, int showCommand) { ShowWindow(GetDlgItem(window, id), showCommand); }

void WindowWrapper::EnableControl(int id, bool enable) { EnableWindow(GetDlgItem(window, id), enable ? TRUE : FALSE); }

void WindowWrapper::Close() { SendMessageA(window, WM_CLOSE, 0, 0); }

int DialogWrapper::ControlText(int id, char* buffer, int capacity) {
    const UINT count = GetDlgItemTextA(window, id, buffer, capacity);
    buffer[count] = '\0';
    return static_cast<int>(count);
}

void DialogWrapper::FocusControl(int id) {
    HWND control = GetDlgItem(window, id);
    SetFocus(control);
    SendMessageA(control, EM_SETSEL, 0, -1);
}
