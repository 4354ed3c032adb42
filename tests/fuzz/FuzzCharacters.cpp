// The character rules on any bytes, in UTF-8 or any double-byte layout, against a
// model of their own: a cut takes every whole character that fits and no more,
// and a character found is one that stands alone.
// The same bytes read as UTF-16: their UTF-8 decodes back to them, half a pair
// as U+FFFD, and a bound keeps the longest start of whole characters.
#include <stdint.h>
#include <string.h>

#include <string>
#include <vector>

#include "FuzzCheck.h"
#include "rules/Characters.h"

namespace {

// The model, from the layout's description rather than from the code under test:
// how many bytes the character that `byte` begins takes. UTF-8 by its table of
// lead bytes; a double-byte code page by marking every byte of every range.
int32_t ModelLength(const CodePageLayout& layout, unsigned char byte) {
    if (layout.utf8) {
        if (byte >= 0xF0 && byte <= 0xF7) return 4;
        if (byte >= 0xE0 && byte <= 0xEF) return 3;
        if (byte >= 0xC0 && byte <= 0xDF) return 2;
        return 1;
    }
    bool lead[256] = {};
    for (size_t i = 0; i + 1 < sizeof layout.leadByteRanges && layout.leadByteRanges[i]; i += 2) {
        for (int b = layout.leadByteRanges[i]; b <= layout.leadByteRanges[i + 1]; ++b) lead[b] = true;
    }
    return lead[byte] ? 2 : 1;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 3) return 0;
    CodePageLayout layout;
    layout.utf8 = data[0] & 1;
    layout.leadByteRanges[0] = data[1] | 0x80;  // one range of lead bytes, as a double-byte code page has
    layout.leadByteRanges[1] = static_cast<unsigned char>(layout.leadByteRanges[0] + (data[1] & 0x1F));
    const int32_t most = data[2];
    const std::string text(reinterpret_cast<const char*>(data + 3), size - 3);
    const auto length = static_cast<int32_t>(text.size());
    const auto byteAt = [&](int32_t i) { return static_cast<unsigned char>(text[static_cast<size_t>(i)]); };

    int32_t whole = 0;  // the model's cut: whole characters while they fit in the text and the bound
    while (whole < length && whole + ModelLength(layout, byteAt(whole)) <= (length < most ? length : most)) {
        whole += ModelLength(layout, byteAt(whole));
    }
    FUZZ_CHECK(WholeCharacters(layout, text.data(), length, most) == whole);

    const char c = static_cast<char>(data[0] >> 1 & 0x7F ? data[0] >> 1 & 0x7F : '@');
    bool alone = false;  // c as a character of its own, before the first NUL
    const int32_t end = static_cast<int32_t>(strlen(text.c_str()));
    for (int32_t i = 0; i < end && !alone; i += ModelLength(layout, byteAt(i))) alone = text[static_cast<size_t>(i)] == c;
    FUZZ_CHECK(HasCharacter(layout, text.c_str(), c) == alone);

    std::vector<uint16_t> units(text.size() / 2);
    if (!units.empty()) memcpy(units.data(), text.data(), units.size() * 2);
    const auto count = static_cast<int32_t>(units.size());
    std::string full(units.size() * 3, '\0'), cut(units.size() * 3, '\0');
    full.resize(static_cast<size_t>(Utf8FromUtf16(units.data(), count, &full[0], count * 3)));
    const int32_t written = Utf8FromUtf16(units.data(), count, &cut[0], most);
    CodePageLayout utf8;
    utf8.utf8 = true;
    int32_t fits = 0;  // the model's whole characters of the full UTF-8 within the bound
    while (fits < static_cast<int32_t>(full.size()) &&
           fits + ModelLength(utf8, static_cast<unsigned char>(full[static_cast<size_t>(fits)])) <= most) {
        fits += ModelLength(utf8, static_cast<unsigned char>(full[static_cast<size_t>(fits)]));
    }
    FUZZ_CHECK(written == fits && full.compare(0, static_cast<size_t>(written), cut, 0, static_cast<size_t>(written)) == 0);
    std::vector<uint16_t> back;  // the UTF-8 decoded to UTF-16 again
    for (size_t at = 0; at < full.size();) {
        const auto lead = static_cast<unsigned char>(full[at]);
        const int32_t length = ModelLength(utf8, lead);
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
