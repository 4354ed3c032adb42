#include "rules/Characters.h"

#include <stdint.h>

int32_t CharacterLength(const CodePageLayout& layout, const char* text) {
    const auto lead = static_cast<unsigned char>(*text);
    if (layout.utf8) {
        if ((lead & 0xF8) == 0xF0) return 4;
        if ((lead & 0xF0) == 0xE0) return 3;
        if ((lead & 0xE0) == 0xC0) return 2;
        return 1;  // ASCII, or a byte that begins no sequence: taken alone
    }
    const unsigned char* ranges = layout.leadByteRanges;
    for (int i = 0; i + 1 < static_cast<int>(sizeof layout.leadByteRanges) && ranges[i]; i += 2) {
        if (lead >= ranges[i] && lead <= ranges[i + 1]) return 2;
    }
    return 1;
}

int32_t WholeCharacters(const CodePageLayout& layout, const char* text, int32_t length, int32_t most) {
    int32_t end = 0;
    while (end < length) {
        const int32_t next = end + CharacterLength(layout, text + end);
        if (next > length || next > most) break;
        end = next;
    }
    return end;
}

bool HasCharacter(const CodePageLayout& layout, const char* text, char c) {
    while (*text) {
        if (*text == c) return true;
        for (int32_t bytes = CharacterLength(layout, text); bytes > 0 && *text; --bytes) ++text;
    }
    return false;
}

namespace {

bool IsHighSurrogate(uint32_t unit) { return unit >= 0xD800 && unit <= 0xDBFF; }
bool IsLowSurrogate(uint32_t unit) { return unit >= 0xDC00 && unit <= 0xDFFF; }

}  // namespace

int32_t Utf8FromUtf16(const uint16_t* units, int32_t count, char* out, int32_t most) {
    static const unsigned char kLead[] = {0, 0, 0xC0, 0xE0, 0xF0};  // by the character's length in bytes
    int32_t written = 0;
    for (int32_t i = 0; i < count;) {
        uint32_t c = units[i++];
        if (IsHighSurrogate(c) && i < count && IsLowSurrogate(units[i])) {
            c = 0x10000 + ((c - 0xD800) << 10) + (units[i++] - 0xDC00u);
        } else if (IsHighSurrogate(c) || IsLowSurrogate(c)) {
            c = 0xFFFD;
        }
        const int32_t bytes = c < 0x80 ? 1 : c < 0x800 ? 2 : c < 0x10000 ? 3 : 4;
        if (written + bytes > most) break;
        char* at = out + written;
        for (int32_t k = bytes - 1; k > 0; --k, c >>= 6) at[k] = static_cast<char>(0x80 | (c & 0x3F));
        at[0] = static_cast<char>(kLead[bytes] | c);
        written += bytes;
    }
    return written;
}
