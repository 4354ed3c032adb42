#pragma once

#include <windows.h>
#include <wininet.h>

#include "core/Text.h"

// The program's own form through the exchange (http/FormPost.h): fieldNames and
// fieldValues, a status-200 answer kept in scratchFile in the cache folder.

// Posts the form to `url`; `error` (passed empty) stays empty when the service
// took it, and otherwise says why not: the one result.
void PostForm(const Text& url, Text& error);

// Adds the content type and sends the form on `request`; an empty text on success.
Text SendForm(HINTERNET request);
