#include "http/WinInet.h"

#include <stdint.h>

#include "desktop/SystemLibrary.h"

const WinInetFunctions* WinInet() {
    // Only the worker calls it, once a run; the tests call it from one thread.
    // Tried once: a system without WinInet stays without it.
    static WinInetFunctions functions;
    static enum : uint8_t { kUntried, kResolved, kMissing } state = kUntried;
    if (state == kUntried) {
        functions.module = LoadSystemLibrary("wininet.dll");
        bool resolved = functions.module != nullptr;
#define WININET_RESOLVE(Name) resolved = resolved && RESOLVE(functions.module, Name, functions.Name);
        WININET_FUNCTIONS(WININET_RESOLVE)
#undef WININET_RESOLVE
        state = resolved ? kResolved : kMissing;
    }
    return state == kResolved ? &functions : nullptr;
}
