#include "rules/SplitUrl.h"

#include <stdint.h>
#include <stdlib.h>

#include "core/Text.h"

namespace {

// The decimal number the text begins with (leading blanks and a sign allowed,
// 0 without digits), as atoi reads it but without its undefined overflow.
bool ReadPort(const char* text, int32_t& port) {
    const long value = strtol(text, nullptr, 10);
    if (value < 0 || value > 65535) return false;  // no port a connection could use
    port = static_cast<int32_t>(value);
    return true;
}

}  // namespace

bool SplitUrl(const char* url, Text& host, Text& path, int32_t& port, int32_t& scheme) {
    const Text whole(url);
    const int32_t separator = whole.Find("://");
    if (separator < 0) return false;

    const Text schemeText = whole.Left(separator);
    int32_t kind;
    if (schemeText.CompareNoCase("HTTP") == 0) {
        kind = kSchemeHttp;
    } else if (schemeText.CompareNoCase("HTTPS") == 0) {
        kind = kSchemeHttps;
    } else {
        return false;
    }

    const Text rest = whole.Mid(separator + 3);
    const int32_t slash = rest.Find('/');
    const Text authority = slash < 0 ? rest : rest.Left(slash);

    const int32_t colon = authority.Find(':');
    int32_t number = kind == kSchemeHttps ? 443 : 80;
    if (colon >= 0 && !ReadPort(authority.Data() + colon + 1, number)) return false;

    host = colon < 0 ? authority : authority.Left(colon);
    path = slash < 0 ? Text() : rest.Mid(slash);
    port = number;
    scheme = kind;
    return true;
}
