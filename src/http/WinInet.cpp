#include "http/WinInet.h"

#include "desktop/SystemLibrary.h"

const WinInetFunctions* WinInet() {
    // Only the worker calls it, once a run; the tests call it from one thread.
    static WinInetFunctions functions;
    static bool resolved = false;
    if (resolved) return &functions;
    const HMODULE module = LoadSystemLibrary("wininet.dll");
    functions.module = module;
    resolved = module && Resolve(module, "InternetOpenA", functions.InternetOpenA) &&
               Resolve(module, "InternetConnectA", functions.InternetConnectA) &&
               Resolve(module, "InternetSetOptionA", functions.InternetSetOptionA) &&
               Resolve(module, "InternetQueryOptionA", functions.InternetQueryOptionA) &&
               Resolve(module, "InternetSetStatusCallbackA", functions.InternetSetStatusCallbackA) &&
               Resolve(module, "HttpOpenRequestA", functions.HttpOpenRequestA) &&
               Resolve(module, "HttpAddRequestHeadersA", functions.HttpAddRequestHeadersA) &&
               Resolve(module, "HttpSendRequestA", functions.HttpSendRequestA) &&
               Resolve(module, "HttpQueryInfoA", functions.HttpQueryInfoA) &&
               Resolve(module, "InternetReadFile", functions.InternetReadFile) &&
               Resolve(module, "InternetCloseHandle", functions.InternetCloseHandle) &&
               Resolve(module, "InternetErrorDlg", functions.InternetErrorDlg);
    return resolved ? &functions : nullptr;
}
