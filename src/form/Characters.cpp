#include "form/Characters.h"

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
