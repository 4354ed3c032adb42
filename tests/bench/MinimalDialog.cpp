// A bare dialog procedure showing the program's own form (template 129, with
// its bitmap and icon), built with the same flags: the yardstick for start-up.
#include <windows.h>

#include "resource.h"

namespace {

INT_PTR CALLBACK Procedure(HWND window, UINT message, WPARAM first, LPARAM) {
    if ((message == WM_COMMAND && first == IDCANCEL) || message == WM_CLOSE) {
        EndDialog(window, 0);
        return TRUE;
    }
    return message == WM_INITDIALOG;
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    DialogBoxParamA(instance, MAKEINTRESOURCEA(IDD_DOWNLOAD_REQUEST), nullptr, Procedure, 0);
    return 0;
}
