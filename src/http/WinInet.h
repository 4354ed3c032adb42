#pragma once

#include <windows.h>
#include <wininet.h>

// The WinInet functions the program uses, from the system folder's wininet.dll.
// The program does not import WinInet: it is no KnownDLL, so Windows would look
// for it (and for the DLLs it imports) beside the program first.
struct WinInetFunctions {
    HMODULE module;  // its message table holds the texts of WinInet's error codes
    decltype(&::InternetOpenA) InternetOpenA;
    decltype(&::InternetConnectA) InternetConnectA;
    decltype(&::InternetSetOptionA) InternetSetOptionA;
    decltype(&::InternetQueryOptionA) InternetQueryOptionA;
    decltype(&::InternetSetStatusCallbackA) InternetSetStatusCallbackA;
    decltype(&::HttpOpenRequestA) HttpOpenRequestA;
    decltype(&::HttpAddRequestHeadersA) HttpAddRequestHeadersA;
    decltype(&::HttpSendRequestA) HttpSendRequestA;
    decltype(&::HttpQueryInfoA) HttpQueryInfoA;
    decltype(&::InternetReadFile) InternetReadFile;
    decltype(&::InternetCloseHandle) InternetCloseHandle;
    decltype(&::InternetErrorDlg) InternetErrorDlg;
};

// Loaded and resolved on first use; null when wininet.dll or one of the
// functions cannot be had.
const WinInetFunctions* WinInet();
