#pragma once

#include <windows.h>
#include <wininet.h>

#include "http/QueryBuffer.h"
#include "http/WinInet.h"

// The user and password the person gave the system's sign-in dialog for a proxy,
// read back from the request it answered, for the requests that follow. Written
// nowhere; wiped when they go.
class ProxyCredentials {
public:
    bool Given() const { return !user.IsEmpty(); }

    // From the request the dialog answered, however long they are; false when none came.
    bool ReadFrom(const WinInetFunctions& net, HINTERNET request);
    // Onto a fresh request, which WinInet then answers a proxy's challenge with.
    void SetOn(const WinInetFunctions& net, HINTERNET request) const;
    // A proxy that took Basic sign-in gets it with the form, which so never goes
    // to it unsigned (one that refuses may reset the connection before reading it).
    bool AddBasicTo(const WinInetFunctions& net, HINTERNET request) const;

private:
    QueryBuffer user, password;
};

// Whether a proxy's 407 offers Basic sign-in among its ways, however long the
// challenges listed before it (a Digest's nonce, a Negotiate token).
bool OffersBasic(const WinInetFunctions& net, HINTERNET request);
