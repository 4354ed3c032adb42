#include "core/Text.h"

#include <gtest/gtest.h>

#include <string>

namespace {

std::string S(const Text& t) { return std::string(t.Data(), static_cast<size_t>(t.Length())); }

TEST(Text, EmptyTextsShareOneUnownedBuffer) {
    const char* nullSource = nullptr;
    Text fromNothing;
    Text fromNull(nullSource);
    Text fromEmpty("");
    Text released("abc");
    released.Release();
    Text copy(fromEmpty);
    Text cut = Text("abc").Left(0);
    for (const Text* t : {&fromNothing, &fromNull, &fromEmpty, &released, &copy, &cut}) {
        EXPECT_EQ(fromNothing.Data(), t->Data());  // one buffer for all of them
        EXPECT_EQ(0, t->Length());
        EXPECT_STREQ("", t->Data());
    }
}

TEST(Text, AssignmentThatFitsReusesTheBuffer) {
    Text t("abcdef");
    const char* before = t.Data();
    t = "xy";
    EXPECT_EQ(before, t.Data());
    EXPECT_EQ("xy", S(t));
    t = "";
    EXPECT_EQ(before, t.Data());  // the empty text may live in an owned buffer
    EXPECT_TRUE(t.IsEmpty());
    t = "longer than before";
    EXPECT_EQ("longer than before", S(t));
    const char* nullSource = nullptr;
    t = nullSource;
    EXPECT_TRUE(t.IsEmpty());
    Text self("same");
    Text& alias = self;
    self = alias;
    EXPECT_EQ("same", S(self));
    self = self.Data() + 2;  // overlapping source inside our own buffer
    EXPECT_EQ("me", S(self));
    Text shrunk("abcdef");
    shrunk = "xy";
    shrunk = shrunk.Data() + 3;  // bytes past the shorter text, still in the same buffer
    EXPECT_EQ("def", S(shrunk));
}

TEST(Text, LeftAndMidClampTheirArgument) {
    const Text abc("abc");
    struct Case { bool left; int32_t n; const char* want; };
    const Case cases[] = {
        {true, 10, "abc"}, {true, 3, "abc"}, {true, 2, "ab"}, {true, 0, ""}, {true, -1, ""},
        {false, 5, "abc"}, {false, 4, "abc"}, {false, 3, ""}, {false, 1, "bc"}, {false, 0, "abc"},
        {false, -2, "abc"},
    };
    for (const Case& c : cases) {
        const Text got = c.left ? abc.Left(c.n) : abc.Mid(c.n);
        EXPECT_EQ(c.want, S(got)) << (c.left ? "Left(" : "Mid(") << c.n << ")";
    }
}

TEST(Text, CharAtAndFind) {
    const Text t("a.b.c");
    EXPECT_EQ('a', t.CharAt(0));
    EXPECT_EQ('c', t.CharAt(4));
    EXPECT_EQ('\0', t.CharAt(5));
    EXPECT_EQ('\0', t.CharAt(-1));
    EXPECT_EQ(1, t.Find('.'));
    EXPECT_EQ(3, t.ReverseFind('.'));
    EXPECT_EQ(-1, t.Find('x'));
    EXPECT_EQ(-1, t.ReverseFind('x'));
    EXPECT_EQ(2, t.Find("b.c"));
    EXPECT_EQ(-1, t.Find("c.d"));
    EXPECT_EQ(-1, t.Find(""));
    EXPECT_EQ(-1, t.Find(static_cast<const char*>(nullptr)));
    EXPECT_EQ(-1, Text().Find('\0'));
}

TEST(Text, TrimRemovesWhiteSpaceRunsAtTheEnds) {
    struct Case { const char* in; const char* left; const char* right; };
    const Case cases[] = {
        {"  a b  ", "a b  ", "  a b"},
        {" \t\r\n\v\fx", "x", " \t\r\n\v\fx"},
        {"x \t\r\n\v\f", "x \t\r\n\v\f", "x"},
        {"   ", "", ""},
        {"", "", ""},
        {"\xa0x\xa0", "\xa0x\xa0", "\xa0x\xa0"},  // no byte from 0x80 up is white space
        {"a  b", "a  b", "a  b"},
    };
    for (const Case& c : cases) {
        Text l(c.in), r(c.in), both(c.in);
        l.TrimLeft();
        r.TrimRight();
        both.TrimLeft();
        both.TrimRight();
        EXPECT_EQ(c.left, S(l)) << '"' << c.in << '"';
        EXPECT_EQ(c.right, S(r)) << '"' << c.in << '"';
        EXPECT_EQ(static_cast<int32_t>(strlen(both.Data())), both.Length());
    }
    Text t("  a b  ");
    t.TrimLeft();
    t.TrimRight();
    EXPECT_EQ("a b", S(t));
    EXPECT_EQ(3, t.Length());
}

TEST(Text, CompareNoCaseFoldsAsciiOnly) {
    EXPECT_EQ(0, Text("HttpS").CompareNoCase("hTTPs"));
    EXPECT_EQ(0, Text().CompareNoCase(""));
    EXPECT_NE(0, Text("http").CompareNoCase("https"));
    EXPECT_NE(0, Text("https").CompareNoCase("http"));
    EXPECT_NE(0, Text("\xc9").CompareNoCase("\xe9"));
    EXPECT_NE(0, Text("[").CompareNoCase("{"));
}

TEST(Text, AppendAndConcatenate) {
    Text t;
    t.Append("ab");
    t.Append(Text("cd"));
    t.Append('e');
    t.Append('\0');
    EXPECT_EQ("abcde", S(t));
    t.Append(t);  // appending itself reads the old bytes before they are released
    EXPECT_EQ("abcdeabcde", S(t));
    t.Append(t.Data() + 8);
    EXPECT_EQ("abcdeabcdede", S(t));
    t.Append("");
    EXPECT_EQ(12, t.Length());

    const Text left("left-");
    EXPECT_EQ("left-right", S(left + "right"));
    EXPECT_EQ("left-right", S(left + Text("right")));
    EXPECT_EQ("right", S(Text() + "right"));
    EXPECT_EQ("left-", S(left + Text()));
    EXPECT_EQ("left-", S(left));
}

TEST(Text, CopiesAreIndependent) {
    Text a("one");
    Text b(a);
    Text c;
    c = a;
    a.Append("!");
    a.TrimRight();
    EXPECT_NE(a.Data(), b.Data());
    EXPECT_EQ("one", S(b));
    EXPECT_EQ("one", S(c));
    EXPECT_EQ("one!", S(a));
}

}  // namespace
