#pragma once

#include <windows.h>
#include <wininet.h>

#include "core/Text.h"
#include "core/TextList.h"
#include "http/ScratchFile.h"

class Deadline;
class Sending;

// The request flags: always fetched anew, never cached, no user interface;
// https adds a secure connection whose certificate must be valid.
const DWORD kHttpRequestFlags =
    INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE | INTERNET_FLAG_KEEP_CONNECTION | INTERNET_FLAG_NO_UI;
const DWORD kHttpsRequestFlags = kHttpRequestFlags | INTERNET_FLAG_SECURE;

// How long the exchange waits to connect, to send and for each piece of the reply.
const DWORD kExchangeTimeoutMs = 30000;
// How long the whole exchange may take, however a peer drips its bytes: plenty
// for a form of a few hundred bytes. The person's time in a sign-in dialog does not count.
const DWORD kExchangeDeadlineMs = 2 * 60 * 1000;

// One POST of a form through WinInet, with everything it reads and writes given.
struct PostExchange {
    TextList& names;
    TextList& values;         // kept in step with names
    const char* cacheFolder;  // where a status-200 answer is kept; null: the temporary folder
    ScratchFile& scratch;
    HWND signInOwner = nullptr;  // owns the system's sign-in dialog for a proxy (Wine shows none without)
    DWORD timeoutMs = kExchangeTimeoutMs;
    DWORD deadlineMs = kExchangeDeadlineMs;

    // Posts the fields to `url`, through the proxy the system's settings name,
    // if any; a proxy that asks for a password gets what the person gives the
    // system's sign-in dialog, at most three times. The empty text when the
    // service took the form and its answer was read (a status-200 answer is then
    // in the scratch file); otherwise a message for the user, which names the cause.
    Text Post(const Text& url);

private:
    // Adds the content type and sends the request with the whole body in one
    // call, within the deadline; the empty text on success, else the message, and
    // the code of the failed send in `failedCode` (ERROR_SUCCESS when the header
    // would not go).
    Text SendForm(HINTERNET request, Sending& sending, const Deadline& deadline, DWORD& failedCode);
};
