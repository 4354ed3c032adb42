#pragma once

#include <stdint.h>

#include "core/Text.h"

// The proxy that a system proxy setting names for a scheme (kSchemeHttp or
// kSchemeHttps), or the empty text when it names none. The setting lists
// entries separated by ";" or blanks: "host:port" for every scheme, or
// "scheme=host:port" for one, which wins over an entry for every scheme.
Text ProxyForScheme(const char* setting, int32_t scheme);
