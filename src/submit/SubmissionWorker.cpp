#include "submit/SubmissionWorker.h"

#include "config/VendorUrls.h"
#include "core/Text.h"
#include "desktop/Browser.h"
#include "desktop/ErrorBox.h"
#include "resource.h"
#include "state/ProgramState.h"
#include "submit/PostForm.h"

namespace {

const DWORD kFinishingWorkerWaitMs = 2000;  // a worker that has closed the form only has to return

}  // namespace

DWORD WINAPI SubmissionWorker(LPVOID) {
    frameWindow.ShowControl(IDC_WAIT_LABEL, SW_SHOW);
    static const int kDisabled[] = {IDC_REQUEST_DOWNLOAD, IDC_EMAIL, IDC_FULL_NAME, IDC_PHONE};  // in this order
    for (const int control : kDisabled) frameWindow.EnableControl(control, false);

    Text error;
    PostForm(Text(kEndpointUrl), error);
    if (error.IsEmpty()) {
        OpenPage(kThankYouPageUrl);
    } else {
        error.Append(" Please Check your Network Settings and Try Again.");
        ShowError(error.Data());
    }

    scratchFile.Remove();
    submitted = true;  // before the close, so that closing opens no page
    frameWindow.Close();
    return 1;
}

void EndSubmission() {
    if (!workerThread) return;
    if (WaitForSingleObject(workerThread, submitted ? kFinishingWorkerWaitMs : 0) == WAIT_OBJECT_0) {
        CloseHandle(workerThread);
        workerThread = nullptr;
        return;
    }
    scratchFile.Abandon();
    // Ends the worker with everything else, at once: no destructor and no
    // library clean-up runs that could meet a lock the worker still holds.
    TerminateProcess(GetCurrentProcess(), 0);
}
