#include "http/Sending.h"

#include "core/Text.h"
#include "http/Deadline.h"
#include "http/WinInet.h"

bool IsSecure(const WinInetFunctions& net, HINTERNET request) {
    DWORD flags = 0;
    DWORD size = sizeof flags;
    return net.InternetQueryOptionA(request, INTERNET_OPTION_SECURITY_FLAGS, &flags, &size) &&
           (flags & SECURITY_FLAG_SECURE) != 0;
}

void CALLBACK Sending::Track(HINTERNET request, DWORD_PTR context, DWORD status, LPVOID, DWORD) {
    SendProgress& progress = reinterpret_cast<Sending*>(context)->progress;  // NOLINT(performance-no-int-to-ptr)
    switch (status) {
    case INTERNET_STATUS_RESOLVING_NAME:
    case INTERNET_STATUS_CONNECTING_TO_SERVER:
        progress.connecting = true;
        break;
    case INTERNET_STATUS_CONNECTED_TO_SERVER:
        progress.connected = true;
        break;
    case INTERNET_STATUS_REQUEST_SENT:
        // Through a proxy the tunnel's CONNECT goes first, in clear, without the form.
        if (!progress.probe && (!progress.secureOnly || IsSecure(*WinInet(), request))) progress.formSent = true;
        break;
    default:
        break;
    }
}

bool Sending::Send(const WinInetFunctions& net, HINTERNET request, const Text& form, const Deadline& deadline,
                   DWORD& error) {
    functions = &net;
    handle = request;
    body = form;
    ++holders;  // the sending thread's
    DWORD id = 0;  // the 9x family fails CreateThread without somewhere to put it
    HANDLE thread = CreateThread(nullptr, 0, Run, this, 0, &id);
    bool ended = true;
    if (thread) {
        ended = deadline.Wait(thread);
        CloseHandle(thread);
    } else {
        --holders;  // no thread to be had: then here, without a bound
        SendNow();
    }
    error = !ended ? static_cast<DWORD>(ERROR_INTERNET_TIMEOUT) : sent ? ERROR_SUCCESS : failedCode;
    return ended && sent;
}

void Sending::SendNow() {
    char* optional = body.IsEmpty() ? nullptr : const_cast<char*>(body.Data());
    sent = functions->HttpSendRequestA(handle, nullptr, 0, optional, static_cast<DWORD>(body.Length())) != FALSE;
    failedCode = sent ? ERROR_SUCCESS : GetLastError();
}

DWORD WINAPI Sending::Run(LPVOID parameter) {
    auto& sending = *static_cast<Sending*>(parameter);
    sending.SendNow();
    sending.Release();
    return 0;
}

void Sending::Release() {
    if (--holders == 0) delete this;
}
