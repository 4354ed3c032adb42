#include <windows.h>

#include "form/DialogProcedure.h"
#include "resource.h"
#include "submit/SubmissionWorker.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    DialogBoxParamA(instance, MAKEINTRESOURCEA(IDD_DOWNLOAD_REQUEST), nullptr, DlgProc, 0);
    EndSubmission();
    return 0;
}
