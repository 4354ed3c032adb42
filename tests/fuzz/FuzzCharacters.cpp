// The character rules on any bytes, in UTF-8 or any double-byte layout: a cut
// lands on a character boundary, takes every whole character that fits and
// never reaches past the text, and a character found is one that stands alone.
// The same bytes read as UTF-16: their UTF-8 decodes back to them, half a pair
// as U+FFFD, and a bound keeps the longest start of whole characters.
#include <stdint.h>
#include <string.h>

#include <string>
#include <vector>

#include "FuzzCheck.h"
#include "rules/Characters.h"

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

    std::vector<uint16_t> units(text.size() / 2);
    if (!units.empty()) memcpy(units.data(), text.data(), units.size() * 2);
    const auto count = static_cast<int32_t>(units.size());
    std::string full(units.size() * 3, '\0'), cut(units.size() * 3, '\0');
    full.resize(static_cast<size_t>(Utf8FromUtf16(units.data(), count, &full[0], count * 3)));
    const int32_t written = Utf8FromUtf16(units.data(), count, &cut[0], most);
    CodePageLayout utf8;
    utf8.utf8 = true;
    FUZZ_CHECK(written == WholeCharacters(utf8, full.data(), static_cast<int32_t>(full.size()), most) &&
               full.compare(0, static_cast<size_t>(written), cut, 0, static_cast<size_t>(written)) == 0);
    std::vector<uint16_t> back;  // the UTF-8 decoded to UTF-16 again
    for (size_t at = 0; at < full.size();) {
        const auto lead = static_cast<unsigned char>(full[at]);
        const int32_t length = CharacterLength(utf8, &full[at]);
        uint32_t point = length == 1 ? lead : lead & (0x7F >> length);
        for (int32_t k = 1; k < length; ++k) {
            const auto next = static_cast<unsigned char>(full[at + static_cast<size_t>(k)]);
            FUZZ_CHECK((next & 0xC0) == 0x80);
            point = point << 6 | (next & 0x3F);
        }
        FUZZ_CHECK(point < 0xD800 || (point > 0xDFFF && point <= 0x10FFFF));
        if (point >= 0x10000) {
            back.push_back(static_cast<uint16_t>(0xD800 + ((point - 0x10000) >> 10)));
            back.push_back(static_cast<uint16_t>(0xDC00 + (point & 0x3FF)));
        } else {
            back.push_back(static_cast<uint16_t>(point));
        }
        at += static_cast<size_t>(length);
    }
    FUZZ_CHECK(back.size() == units.size());
    for (size_t i = 0; i < units.size(); ++i) {
        const bool paired = (units[i] >= 0xD800 && units[i] <= 0xDBFF && i + 1 < units.size() &&
                             units[i + 1] >= 0xDC00 && units[i + 1] <= 0xDFFF) ||
                            (units[i] >= 0xDC00 && units[i] <= 0xDFFF && i > 0 && units[i - 1] >= 0xD800 &&
                             units[i - 1] <= 0xDBFF && back[i - 1] != 0xFFFD);
        FUZZ_CHECK(back[i] == (units[i] < 0xD800 || units[i] > 0xDFFF || paired ? units[i] : 0xFFFD));
    }
    return 0;
}
