#include "http/WinInet.h"

#include "desktop/SystemLibrary.h"

namespace {

template <class Function>
bool Resolve(HMODULE module, const char* name, Function& function) {
    // Through void (*)(), which any function pointer converts to and from.
    function = reinterpret_cast<Function>(reinterpret_cast<void (*)()>(GetProcAddress(module, name)));
    return function != nullptr;
}

}  // namespace

const WinInetFunctions* WinInet() {
    // Only the worker calls it, once a run; the tests call it from one thread.
    static WinInetFunctions functions;
    static bool resolved = false;
    if (resolved) return &functions;
    const HMODULE module = LoadSystemLibrary("wininet.dll");
    resolved = module && Resolve(module, "InternetOpenA", functions.InternetOpenA) &&
               Resolve(module, "InternetConnectA", functions.InternetConnectA) &&
               Resolve(module, "InternetSetOptionA", functions.InternetSetOptionA) &&
               Resolve(module, "HttpOpenRequestA", functions.HttpOpenRequestA) &&
               Resolve(module, "HttpAddRequestHeadersA", functions.HttpAddRequestHeadersA) &&
               Resolve(module, "HttpSendRequestExA", functions.HttpSendRequestExA) &&
               Resolve(module, "InternetWriteFile", functions.InternetWriteFile) &&
               Resolve(module, "HttpEndRequestA", functions.HttpEndRequestA) &&
               Resolve(module, "HttpQueryInfoA", functions.HttpQueryInfoA) &&
               Resolve(module, "InternetReadFile", functions.InternetReadFile) &&
               Resolve(module, "InternetCloseHandle", functions.InternetCloseHandle);
    return resolved ? &functions : nullptr;
}
