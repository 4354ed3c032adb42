#include "form/WindowWrapper.h"

#include <string.h>

#include "form/AnsiCodePage.h"
#include "form/Characters.h"

void WindowWrapper::Attach(HWND target, HWND insertAfter, int x, int y, int width, int height, UINT flags) {
    window = target;
    SetWindowPos(window, insertAfter, x, y, width, height, flags);
    ShowWindow(window, SW_SHOW);
}

void WindowWrapper::ShowControl(int id, int showCommand) { ShowWindow(GetDlgItem(window, id), showCommand); }

void WindowWrapper::EnableControl(int id, bool enable) { EnableWindow(GetDlgItem(window, id), enable ? TRUE : FALSE); }

void WindowWrapper::Close() { SendMessageA(window, WM_CLOSE, 0, 0); }

int DialogWrapper::ControlText(int id, char* buffer, int capacity) {
    // Read whole, however long (text another program sets is not held to the
    // input's limit), then cut after the last whole character that fits.
    const int whole = GetWindowTextLengthA(GetDlgItem(window, id));  // in bytes, never fewer
    char* text = whole < capacity ? buffer : new char[static_cast<size_t>(whole) + 1];
    const int size = whole < capacity ? capacity : whole + 1;
    const int read = static_cast<int>(GetDlgItemTextA(window, id, text, size));
    const int count = WholeCharacters(AnsiCodePage(), text, read, capacity - 1);
    if (text != buffer) {
        memcpy(buffer, text, static_cast<size_t>(count));
        delete[] text;
    }
    buffer[count] = '\0';
    return count;
}

void DialogWrapper::FocusControl(int id) {
    HWND control = GetDlgItem(window, id);
    SetFocus(control);
    SendMessageA(control, EM_SETSEL, 0, -1);
}
