#pragma once

#include <windows.h>
#include <wininet.h>

#include "core/Text.h"
#include "core/TextList.h"
#include "http/ScratchFile.h"

// The request flags: always fetched anew, never cached, no user interface;
// https adds a secure connection whose certificate must be valid.
const DWORD kHttpRequestFlags =
    INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE | INTERNET_FLAG_KEEP_CONNECTION | INTERNET_FLAG_NO_UI;
const DWORD kHttpsRequestFlags = kHttpRequestFlags | INTERNET_FLAG_SECURE;

// How long the exchange waits to connect, to send and for each piece of the
// reply; tests shorten it.
extern DWORD exchangeTimeoutMs;

// One POST of a form through WinInet, with everything it reads and writes given.
struct FormPost {
    TextList& names;
    TextList& values;         // kept in step with names
    const char* cacheFolder;  // where a status-200 answer is kept; null: the temporary folder
    ScratchFile& scratch;

    // Posts the fields to `url`, through the proxy the system's settings name,
    // if any. `error` (passed empty) stays empty when the service took the form
    // and its answer was read, and holds a message for the user otherwise.
    // Returns 1 for status 200 with the body read, else 0.
    int Post(const Text& url, Text& error);

    // Adds the content type and sends the request with the whole body in one
    // call; an empty text on success.
    Text Send(HINTERNET request);
};
