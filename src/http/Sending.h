#pragma once

#include <windows.h>
#include <wininet.h>

#include <atomic>

#include "core/Text.h"
#include "http/Deadline.h"
#include "http/WinInet.h"

// Whether the request went over TLS.
bool IsSecure(const WinInetFunctions& net, HINTERNET request);

// How far one request got, as WinInet's status callbacks tell it.
struct SendProgress {
    bool secureOnly = false;  // https: only a request sent over TLS carries the form
    bool probe = false;       // a request without the form: its sending sends nothing of it
    std::atomic<bool> connecting{false};
    std::atomic<bool> connected{false};
    std::atomic<bool> formSent{false};  // a failure after this is the answer's
};

// One request's sending: HttpSendRequestA, which also reads the answer's status
// line and headers (and, through a proxy, first opens the tunnel). A peer that
// drips those holds it for ever, and under Wine closing the handles does not end
// it (on Windows it does): so it runs on a thread of its own, which the exchange
// leaves behind when its time runs out. All that thread touches is here, on the
// heap, and goes with the last of the two to let go: Release() is the exchange's.
class Sending {
public:
    Sending(bool secureOnly, bool probe) {
        progress.secureOnly = secureOnly;
        progress.probe = probe;
    }
    Sending(const Sending&) = delete;
    Sending& operator=(const Sending&) = delete;

    // The context to open the request with: its status callbacks report to `progress`.
    DWORD_PTR Context() { return reinterpret_cast<DWORD_PTR>(this); }
    static void CALLBACK Track(HINTERNET request, DWORD_PTR context, DWORD status, LPVOID, DWORD);

    // Sends `form` (may be empty) on `request`. False when the send failed, with
    // its code in `error`, or when the deadline passed first (ERROR_INTERNET_TIMEOUT).
    bool Send(const WinInetFunctions& net, HINTERNET request, const Text& form, const Deadline& deadline,
              DWORD& error);
    void Release();

    SendProgress progress;

private:
    ~Sending() = default;
    void SendNow();
    static DWORD WINAPI Run(LPVOID parameter);

    const WinInetFunctions* functions = nullptr;
    HINTERNET handle = nullptr;
    Text body;
    bool sent = false;
    DWORD failedCode = ERROR_SUCCESS;
    std::atomic<int> holders{1};
};
