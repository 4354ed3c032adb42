#include "desktop/SystemErrorText.h"

#include <wininet.h>

#include "core/Text.h"

namespace {

const DWORD kLastInternetError = INTERNET_ERROR_BASE + 999;  // the range Windows keeps for WinInet's codes

// The message table's text for `code` (LocalAlloc'd, for LocalFree), or null.
char* FormatFrom(DWORD source, HMODULE module, DWORD code) {
    char* message = nullptr;
    const DWORD length = FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_IGNORE_INSERTS | source, module,
                                        code, MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT),
                                        reinterpret_cast<char*>(&message), 0, nullptr);
    if (length == 0) {
        if (message) LocalFree(message);
        return nullptr;
    }
    return message;
}

}  // namespace

Text SystemErrorText(DWORD code, HMODULE wininet) {
    char* message = FormatFrom(FORMAT_MESSAGE_FROM_SYSTEM, nullptr, code);
    // WinInet's codes have their texts in its own table, not the system's.
    if (!message && wininet && code >= INTERNET_ERROR_BASE && code <= kLastInternetError) {
        message = FormatFrom(FORMAT_MESSAGE_FROM_HMODULE, wininet, code);
    }
    if (message) {
        const Text text(message);
        LocalFree(message);
        return text;
    }
    char fallback[80];
    wsprintfA(fallback, "The system cannot find error message for error number %d", static_cast<int>(code));
    return Text(fallback);
}
