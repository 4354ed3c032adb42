#pragma once

#include <windows.h>
#include <wininet.h>

#include "core/Text.h"

// The request flags: always fetched anew, never cached, no user interface;
// https adds a secure connection whose certificate must be valid.
const DWORD kHttpRequestFlags =
    INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE | INTERNET_FLAG_KEEP_CONNECTION | INTERNET_FLAG_NO_UI;
const DWORD kHttpsRequestFlags = kHttpRequestFlags | INTERNET_FLAG_SECURE;

// How long the exchange waits to connect, to send and for each piece of the
// reply; tests shorten it.
extern DWORD exchangeTimeoutMs;

// Posts fieldNames/fieldValues to `url`. `error` (passed empty) stays empty
// when the service took the form and its answer was read, and holds a message
// for the user otherwise. Returns 1 for status 200 with the body read, else 0.
// A status-200 body is saved to the scratch file in the cache folder.
int PostForm(const Text& url, Text& error);

// Adds the content type and uploads the body; an empty text on success.
Text SendForm(HINTERNET request);
