#include "rules/ProxySetting.h"

#include <stddef.h>
#include <stdint.h>
#include <string.h>

#include "core/Text.h"
#include "rules/SplitUrl.h"

namespace {

bool IsSeparator(char c) { return c == ';' || IsWhiteSpace(c); }

}  // namespace

Text ProxyForScheme(const char* setting, int32_t scheme) {
    const char* const wanted = scheme == kSchemeHttps ? "https=" : "http=";
    const size_t wantedLength = strlen(wanted);
    Text forEveryScheme;
    for (const char* entry = setting; *entry;) {
        if (IsSeparator(*entry)) {
            ++entry;
            continue;
        }
        size_t length = 0;
        while (entry[length] && !IsSeparator(entry[length])) ++length;
        const Text text = Text(entry).Left(static_cast<int32_t>(length));
        if (length > wantedLength && text.Left(static_cast<int32_t>(wantedLength)).CompareNoCase(wanted) == 0) {
            return text.Mid(static_cast<int32_t>(wantedLength));
        }
        if (text.Find('=') < 0 && forEveryScheme.IsEmpty()) forEveryScheme = text;
        entry += length;
    }
    return forEveryScheme;
}

size_t EncodeBasicCredentials(const char* user, const char* password, char* out, size_t capacity) {
    static const char kDigits[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    // "user:password", read straight from its parts: no copy of the password is made.
    const char* const parts[] = {user, ":", password, nullptr};
    const char* const* part = parts;
    const char* at = user;
    size_t written = 0;
    for (;;) {
        uint32_t group = 0;
        size_t taken = 0;
        for (; taken < 3; ++taken) {
            while (*part && !*at) at = *++part;
            if (!*part) break;
            group |= static_cast<uint32_t>(static_cast<unsigned char>(*at++)) << (16 - 8 * taken);
        }
        if (taken == 0 || written + 4 >= capacity) break;
        for (size_t i = 0; i < 4; ++i) out[written + i] = i <= taken ? kDigits[group >> (18 - 6 * i) & 0x3F] : '=';
        written += 4;
    }
    out[written] = '\0';
    return written;
}
