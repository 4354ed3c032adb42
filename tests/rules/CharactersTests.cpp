#include "rules/Characters.h"

#include <gtest/gtest.h>

#include <string>

namespace {

const CodePageLayout kSingleByte;
const CodePageLayout kUtf8{true, {}};
const CodePageLayout kShiftJis{false, {0x81, 0x9F, 0xE0, 0xFC}};  // as Windows describes code page 932

// Cuts after whole characters only, whatever the code page.
TEST(Characters, WholeCharactersNeverCutOneInHalf) {
    const std::string kana = "\xE3\x81\x82\xE3\x81\x84";             // two kana in UTF-8
    const std::string emoji = "a\xF0\x9F\x98\x80";                    // "a" and a face (4 bytes)
    const std::string sjis = "\x82\xA0\x82\xA2" "b";                 // two kana and "b" in code page 932
    struct Case {
        const CodePageLayout& layout;
        std::string text;
        int32_t most, whole;
    } cases[] = {
        {kSingleByte, "abc\xE9", 3, 3}, {kSingleByte, "abc\xE9", 9, 4},
        {kUtf8, kana, 6, 6},            {kUtf8, kana, 5, 3},            {kUtf8, kana, 2, 0},
        {kUtf8, emoji, 4, 1},           {kUtf8, emoji, 5, 5},
        {kUtf8, kana.substr(0, 4), 9, 3},  // a text that ends inside a character loses it
        {kUtf8, "a\xE3\x81", 9, 1},           // ... also when it ends one byte short of it
        {kShiftJis, "b\x82", 9, 1},
        {kShiftJis, sjis, 3, 2},        {kShiftJis, sjis, 4, 4},        {kShiftJis, sjis, 5, 5},
        {kShiftJis, "\x82", 1, 0},
        {kShiftJis, "\xFC\x40", 1, 0},  // the last lead byte of a range leads too
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.whole, WholeCharacters(c.layout, c.text.data(), static_cast<int32_t>(c.text.size()), c.most))
            << c.text << " within " << c.most;
    }
}

// What an input holds in UTF-16 becomes UTF-8, whole characters within the bound.
TEST(Characters, Utf8FromUtf16KeepsEveryCharacterWhole) {
    const std::u16string name = u"Łódź Ελένη Алёна 王小明 😀";
    struct Case {
        std::u16string units;
        int32_t most;
        std::string utf8;
    } cases[] = {
        {name, 99, u8"Łódź Ελένη Алёна 王小明 😀"},
        {u"a😀", 4, "a"},                                  // the face's 4 bytes do not fit
        {u"a😀", 5, "a\xF0\x9F\x98\x80"},
        {u"\u00E9\u5C71", 4, "\xC3\xA9"},                  // 2 + 3 bytes: the second is cut whole
        {u"\u007F\u0080\u07FF\u0800\uFFFF\U00010000", 99,
         "\x7F\xC2\x80\xDF\xBF\xE0\xA0\x80\xEF\xBF\xBF\xF0\x90\x80\x80"},  // each length's first and last
        {std::u16string(1, u'\xD83D') + u"x", 99, "\xEF\xBF\xBDx"},   // half a pair stands for U+FFFD
        {std::u16string(1, u'\xDE00') + u"x", 99, "\xEF\xBF\xBDx"},
        {u"x" + std::u16string(1, u'\xD83D'), 99, "x\xEF\xBF\xBD"},   // ... also at the end
        {u"", 99, ""},
    };
    for (const Case& c : cases) {
        char out[100] = {};
        const int32_t written = Utf8FromUtf16(reinterpret_cast<const uint16_t*>(c.units.data()),
                                              static_cast<int32_t>(c.units.size()), out, c.most);
        EXPECT_EQ(c.utf8, std::string(out, static_cast<size_t>(written))) << c.most;
    }
}

}  // namespace
