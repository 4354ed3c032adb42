#pragma once

#include <windows.h>
#include <wininet.h>

// The WinInet functions the program uses, from the system folder's wininet.dll.
// The program does not import WinInet: it is no KnownDLL, so Windows would look
// for it (and for the DLLs it imports) beside the program first.

// Each function once, by its name: the table's members, their types and the
// names they are resolved by all come from this list.
#define WININET_FUNCTIONS(FUNCTION) \
    FUNCTION(InternetOpenA) \
    FUNCTION(InternetConnectA) \
    FUNCTION(InternetSetOptionA) \
    FUNCTION(InternetQueryOptionA) \
    FUNCTION(InternetSetStatusCallbackA) \
    FUNCTION(HttpOpenRequestA) \
    FUNCTION(HttpAddRequestHeadersA) \
    FUNCTION(HttpSendRequestA) \
    FUNCTION(HttpQueryInfoA) \
    FUNCTION(InternetQueryDataAvailable) \
    FUNCTION(InternetReadFile) \
    FUNCTION(InternetCloseHandle) \
    FUNCTION(InternetErrorDlg)

struct WinInetFunctions {
    HMODULE module;  // its message table holds the texts of WinInet's error codes
#define WININET_MEMBER(Name) decltype(&::Name) Name;  // NOLINT(bugprone-macro-parentheses): a name, not a value
    WININET_FUNCTIONS(WININET_MEMBER)
#undef WININET_MEMBER
};

// Loaded and resolved on first use; null when wininet.dll or one of the
// functions cannot be had.
const WinInetFunctions* WinInet();
