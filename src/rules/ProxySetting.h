#pragma once

#include <stddef.h>
#include <stdint.h>

#include "core/Text.h"

// The proxy that a system proxy setting names for a scheme (kSchemeHttp or
// kSchemeHttps), or the empty text when it names none. The setting lists
// entries separated by ";" or blanks: "host:port" for every scheme, or
// "scheme=host:port" for one, which wins over an entry for every scheme.
Text ProxyForScheme(const char* setting, int32_t scheme);

// The credentials of Basic sign-in, "user:password" in Base64, into `out`
// (terminated; the caller wipes it): at most capacity - 1 characters, whole
// groups of four. Returns the characters written.
size_t EncodeBasicCredentials(const char* user, const char* password, char* out, size_t capacity);
