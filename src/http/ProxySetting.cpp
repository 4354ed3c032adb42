#include "http/ProxySetting.h"

#include <stdint.h>
#include <string.h>

#include "core/Text.h"
#include "http/SplitUrl.h"

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
