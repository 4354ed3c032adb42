#pragma once

#include <stdint.h>

#include "core/Text.h"

const int32_t kSchemeHttp = 0;
const int32_t kSchemeHttps = 1;

// Splits an http or https URL into host, object path (query included) and
// port. False for any other URL; the out-parameters are then left alone.
bool SplitUrl(const char* url, Text& host, Text& path, int32_t& port, int32_t& scheme);
