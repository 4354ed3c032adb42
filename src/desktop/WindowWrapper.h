#pragma once

#include <windows.h>

// The few operations the program needs on the form's window.
class WindowWrapper {
public:
    WindowWrapper() = default;
    ~WindowWrapper() { window = nullptr; }  // the window is not ours to destroy
    WindowWrapper(const WindowWrapper&) = delete;
    WindowWrapper& operator=(const WindowWrapper&) = delete;

    void Attach(HWND target, HWND insertAfter, int x, int y, int width, int height, UINT flags);
    void ShowControl(int id, int showCommand);
    void EnableControl(int id, bool enable);
    void Close();  // synchronous WM_CLOSE
    HWND Handle() const { return window; }

protected:
    HWND window = nullptr;
};

class DialogWrapper : public WindowWrapper {
public:
    // Reads a control's text into buffer: whole characters in FormCodePage()
    // (UTF-8 on NT), at most capacity - 1 bytes, terminated; returns the bytes read.
    int ControlText(int id, char* buffer, int capacity);
    // Focuses a control and selects its whole text.
    void FocusControl(int id);
};
