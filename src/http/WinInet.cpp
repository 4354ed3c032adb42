#include "http/WinInet.h"

#include <stddef.h>
#include <stdint.h>
#include <string.h>

#include "desktop/SystemLibrary.h"

namespace {

// The names of the functions, in the order the table holds them, each ended by a NUL.
const char kNames[] =
    "InternetOpenA\0InternetConnectA\0InternetSetOptionA\0InternetQueryOptionA\0InternetSetStatusCallbackA\0"
    "HttpOpenRequestA\0HttpAddRequestHeadersA\0HttpSendRequestA\0HttpQueryInfoA\0InternetReadFile\0"
    "InternetCloseHandle\0InternetErrorDlg";
// The table's functions follow its module one after another, as many as there are names.
const size_t kCount = 12;
static_assert(offsetof(WinInetFunctions, InternetOpenA) == sizeof(HMODULE) &&
                  offsetof(WinInetFunctions, InternetErrorDlg) == sizeof(HMODULE) + (kCount - 1) * sizeof(void (*)()) &&
                  sizeof(WinInetFunctions) == sizeof(HMODULE) + kCount * sizeof(void (*)()),
              "the names follow the table's order");

}  // namespace

const WinInetFunctions* WinInet() {
    // Only the worker calls it, once a run; the tests call it from one thread.
    // Tried once: a system without WinInet stays without it.
    static WinInetFunctions functions;
    static enum : uint8_t { kUntried, kResolved, kMissing } state = kUntried;
    if (state == kUntried) {
        functions.module = LoadSystemLibrary("wininet.dll");
        state = functions.module ? kResolved : kMissing;
        const char* name = kNames;
        // Each resolved into its member, which keeps the SDK's own type.
        for (size_t i = 0; i < kCount; ++i, name += strlen(name) + 1) {
            void (*function)() = nullptr;
            if (state == kResolved && !Resolve(functions.module, name, function)) state = kMissing;
            memcpy(reinterpret_cast<char*>(&functions.InternetOpenA) + i * sizeof function,
                   static_cast<const void*>(&function), sizeof function);
        }
    }
    return state == kResolved ? &functions : nullptr;
}
