#include "form/DialogProcedure.h"

#include "config/VendorUrls.h"
#include "desktop/Browser.h"
#include "desktop/RegistryReader.h"
#include "form/CollectForm.h"
#include "form/ScaledPicture.h"
#include "resource.h"
#include "state/ProgramState.h"
#include "submit/SubmissionWorker.h"

namespace {

const int kFormLeft = 110;  // screen pixels, whatever the template's centring says
const int kFormTop = 110;

// The per-user cache folder into cachePath; on failure the earlier value stays.
void ReadCachePath() {
    RegistryReader reader;
    char* folder = nullptr;
    if (!reader.ReadText(folder, HKEY_CURRENT_USER, "software\\microsoft\\windows\\currentversion\\explorer\\shell folders",
                         "cache")) {
        return;
    }
    delete[] cachePath;
    cachePath = folder;
}

void Submit() {
    // One submission per form: a second request before the worker has disabled
    // the button must not refill the lists the worker is reading. And one
    // refusal at a time: while its message is up, the message's own loop still
    // brings clicks and Enter here.
    static bool collecting = false;
    if (workerThread || collecting) return;
    collecting = true;
    const bool collected = CollectForm();
    collecting = false;
    if (!collected) return;
    ReadCachePath();
    DWORD workerThreadId = 0;  // unused, but the 9x family fails CreateThread without somewhere to put it
    workerThread = CreateThread(nullptr, 0, SubmissionWorker, nullptr, 0, &workerThreadId);
    if (!workerThread) return;
    // While the worker runs, no control holds the focus.
    SetFocus(nullptr);
}

void CloseUnsent(HWND window) {
    if (!submitted) OpenPage(kHomePageUrl);
    EndDialog(window, 1);
}

}  // namespace

INT_PTR CALLBACK DlgProc(HWND window, UINT message, WPARAM first, LPARAM) {
    switch (message) {
    case WM_INITDIALOG: {
        dialogWindow.Attach(window, HWND_TOP, kFormLeft, kFormTop, 0, 0, SWP_NOSIZE);
        frameWindow.Attach(window, HWND_TOP, kFormLeft, kFormTop, 0, 0, SWP_NOSIZE);
        // What the user sees is what is sent: typing and pasting stop well within what is read.
        static const int kInputs[] = {IDC_EMAIL, IDC_FULL_NAME, IDC_PHONE};
        for (const int input : kInputs) SendDlgItemMessageA(window, input, EM_LIMITTEXT, kInputCharacters, 0);
        ScalePictureToScreen(window);
        return TRUE;  // the system focuses the first tab stop, the e-mail input
    }
    case WM_COMMAND:
        // Matched on the whole parameter: only notifications with code 0 count.
        switch (first) {
        case IDC_REQUEST_DOWNLOAD:
        case IDOK:
            Submit();
            break;
        case IDC_CANCEL:
        case IDCANCEL:
            CloseUnsent(window);
            break;
        default:
            break;
        }
        return TRUE;
    case WM_CLOSE:
        CloseUnsent(window);
        return TRUE;
    case WM_NCDESTROY:  // the last message, once the controls are gone
        ReleaseScaledPicture();
        return FALSE;
    default:
        return FALSE;
    }
}
