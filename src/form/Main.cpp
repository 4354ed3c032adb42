#include <windows.h>

#include "form/DialogProcedure.h"
#include "resource.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    DialogBoxParamA(instance, MAKEINTRESOURCEA(IDD_DOWNLOAD_REQUEST), nullptr, DlgProc, 0);
    return 0;
}
