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

// What the codes a submission meets mean, where neither the system nor WinInet
// has a text for them (Wine has none for these; Windows has its own).
struct Meaning {
    DWORD code;
    const char* text;
};
const Meaning kMeanings[] = {
    {10053, "This computer ended the connection"},
    {10060, "The connection timed out"},
    {10065, "No route leads to the server"},
    {12031, "The server reset the connection"},
    {12045, "The server's certificate comes from an untrusted authority"},
    {12057, "The server's certificate could not be checked for revocation"},
    {12152, "The server's answer could not be understood"},
    {12157, "No secure connection could be agreed on"},
    {12169, "The server's certificate is not valid"},
};

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
    for (const Meaning& meaning : kMeanings) {
        // cppcheck-suppress useStlAlgorithm ; a loop over nine is plainer than find_if
        if (meaning.code == code) return Text(meaning.text) + " (error " + DecimalText(code) + ").\r\n";
    }
    return Text("The system cannot find error message for error number ") + DecimalText(code);
}
