#pragma once

#include "core/Text.h"

// Posts the program's own form to `url` through the exchange (http/PostExchange.h):
// fieldNames and fieldValues, a status-200 answer kept in scratchFile in the cache
// folder, a proxy's sign-in dialog owned by the form. `error` (passed empty) stays
// empty when the service took the form, and otherwise says why not. Returns 1 when
// it took it, else 0.
int PostForm(const Text& url, Text& error);
