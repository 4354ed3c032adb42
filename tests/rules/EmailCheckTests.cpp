#include "rules/EmailCheck.h"

#include <gtest/gtest.h>

#include "rules/Characters.h"

namespace {

const CodePageLayout kSingleByte;
const CodePageLayout kUtf8{true, {}};
const CodePageLayout kShiftJis{false, {0x81, 0x9F, 0xE0, 0xFC}};  // as Windows describes code page 932

// The e-mail rule looks at characters: in a double-byte code page a second byte
// of 0x40 is no "@".
TEST(EmailCheck, SeesCharactersNotBytes) {
    EXPECT_TRUE(IsAcceptableEmail("jo@example.com", kSingleByte));
    EXPECT_TRUE(IsAcceptableEmail("@.", kSingleByte));
    EXPECT_FALSE(IsAcceptableEmail("", kUtf8));
    EXPECT_FALSE(IsAcceptableEmail("jo.example.com", kUtf8));
    EXPECT_FALSE(IsAcceptableEmail("jo@example", kUtf8));
    EXPECT_TRUE(IsAcceptableEmail("\xE5\xB1\xB1\xE7\x94\xB0@example.jp", kUtf8));
    EXPECT_TRUE(IsAcceptableEmail("\x8E\x52\x93\x63@example.jp", kShiftJis));
    EXPECT_FALSE(IsAcceptableEmail("\x81\x40" "example.jp", kShiftJis));  // an ideographic space, not "@"
    EXPECT_TRUE(IsAcceptableEmail("\x81\x40" "example.jp", kSingleByte));  // the same bytes in code page 1252
}

}  // namespace
