#include "desktop/WindowWrapper.h"

#include <stdint.h>
#include <string.h>

#include "desktop/Platform.h"
#include "rules/Characters.h"

void WindowWrapper::Attach(HWND target, HWND insertAfter, int x, int y, int width, int height, UINT flags) {
    window = target;
    SetWindowPos(window, insertAfter, x, y, width, height, flags);
    ShowWindow(window, SW_SHOW);
}

void WindowWrapper::ShowControl(int id, int showCommand) { ShowWindow(GetDlgItem(window, id), showCommand); }

void WindowWrapper::EnableControl(int id, bool enable) { EnableWindow(GetDlgItem(window, id), enable ? TRUE : FALSE); }

void WindowWrapper::Close() { SendMessageA(window, WM_CLOSE, 0, 0); }

int DialogWrapper::ControlText(int id, char* buffer, int capacity) {
    HWND control = GetDlgItem(window, id);
    // Read whole, however long (text another program sets is not held to the
    // input's limit), then cut after the last whole character that fits.
    int count = 0;
    if (IsNotNtPlatform()) {
        const int whole = GetWindowTextLengthA(control);  // in bytes, never fewer
        char* text = whole < capacity ? buffer : new char[static_cast<size_t>(whole) + 1];
        const int read = GetWindowTextA(control, text, whole < capacity ? capacity : whole + 1);
        count = WholeCharacters(FormCodePageLayout(), text, read, capacity - 1);
        if (text != buffer) {
            memcpy(buffer, text, static_cast<size_t>(count));
            delete[] text;
        }
    } else {
        // As the input holds it, UTF-16, and encoded here: the A functions would
        // give "?" for what the system's code page lacks.
        const int whole = GetWindowTextLengthW(control);
        auto* text = new uint16_t[static_cast<size_t>(whole) + 1];
        const int read = GetWindowTextW(control, reinterpret_cast<wchar_t*>(text), whole + 1);
        count = Utf8FromUtf16(text, read, buffer, capacity - 1);
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
