#pragma once

#include <stdint.h>

// How the bytes of an ANSI code page make characters: one byte each, two after a
// lead byte (the East Asian double-byte code pages), or one to four (UTF-8).
struct CodePageLayout {
    bool utf8 = false;
    // Ranges of lead bytes, first and last of each, ended by a zero pair, as
    // Windows describes a code page; all zero for a single-byte one.
    unsigned char leadByteRanges[12] = {};
};

// The bytes of the character that begins with the byte at `text`: at least 1.
int32_t CharacterLength(const CodePageLayout& layout, const char* text);

// The length of the longest start of `text` (`length` bytes) that holds whole
// characters only and at most `most` bytes.
int32_t WholeCharacters(const CodePageLayout& layout, const char* text, int32_t length, int32_t most);

// Whether the ASCII character `c` stands for itself in `text` (NUL-terminated);
// the second byte of a double-byte character that happens to equal it does not.
bool HasCharacter(const CodePageLayout& layout, const char* text, char c);

// UTF-8 of `count` UTF-16 units (a pair of surrogates is one character; half of
// one stands for U+FFFD) into `out`: whole characters only, at most `most` bytes,
// not terminated. Returns the bytes written.
int32_t Utf8FromUtf16(const uint16_t* units, int32_t count, char* out, int32_t most);
