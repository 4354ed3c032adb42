// The character rules on any bytes, in UTF-8 or any double-byte layout: a cut
// lands on a character boundary, takes every whole character that fits and
// never reaches past the text, and a character found is one that stands alone.
#include <stdint.h>
#include <string.h>

#include <string>

#include "FuzzCheck.h"
#include "form/Characters.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 3) return 0;
    CodePageLayout layout;
    layout.utf8 = data[0] & 1;
    layout.leadByteRanges[0] = data[1] | 0x80;  // one range of lead bytes, as a double-byte code page has
    layout.leadByteRanges[1] = static_cast<unsigned char>(layout.leadByteRanges[0] + (data[1] & 0x1F));
    const int32_t most = data[2];
    const std::string text(reinterpret_cast<const char*>(data + 3), size - 3);
    const auto length = static_cast<int32_t>(text.size());

    const int32_t whole = WholeCharacters(layout, text.data(), length, most);
    int32_t boundary = 0;  // the characters, walked one by one
    while (boundary < whole) boundary += CharacterLength(layout, text.c_str() + boundary);
    FUZZ_CHECK(boundary == whole && whole <= length && whole <= most);
    if (whole < length) FUZZ_CHECK(whole + CharacterLength(layout, text.c_str() + whole) > (length < most ? length : most));

    const char c = static_cast<char>(data[0] >> 1 & 0x7F ? data[0] >> 1 & 0x7F : '@');
    bool alone = false;  // c as a character of its own, before the first NUL
    for (const char* at = text.c_str(); *at && !alone; at += CharacterLength(layout, at)) {
        alone = *at == c;
        if (strnlen(at, 4) < static_cast<size_t>(CharacterLength(layout, at))) break;  // cut short by the end
    }
    FUZZ_CHECK(HasCharacter(layout, text.c_str(), c) == alone);
    return 0;
}
