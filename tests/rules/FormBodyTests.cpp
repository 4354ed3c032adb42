#include "rules/FormBody.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/SampleForm.h"

namespace {

std::vector<std::string> Pieces(TextList& list) {
    std::vector<std::string> seen;
    bool more = list.First();
    while (more) seen.push_back(list.Next(more));
    return seen;
}

TEST(FormBody, UrlEncodeKeepsOnlyLettersAndDigits) {
    struct Case { std::string in, out; };
    const Case cases[] = {
        {"a b.c", "a%20b%2ec"},
        {"AZaz09", "AZaz09"},
        {"-_.~+&=%", "%2d%5f%2e%7e%2b%26%3d%25"},
        {"\xe9\x0a\x01\xff", "%e9%0a%01%ff"},
        {"", ""},
        {"jo@example.com", "jo%40example%2ecom"},
    };
    for (const Case& c : cases) EXPECT_EQ(c.out, UrlEncode(Text(c.in.c_str())).Data()) << c.in;
}

TEST(FormBody, BuildsTheSevenFieldBody) {
    TextList names, values, pieces;
    FillSampleForm(names, values, "");
    const int32_t length = BuildFormBody(names, values, pieces);
    const std::vector<std::string> expected = {
        "EmailAddress=jo%40example%2ecom", "&EmailType=2", "&rootURL=http%3a%2f%2fcrm%2eexample%2ecom%2f",
        "&SelectProduct=2", "&HowReached=Other", "&FullName=Jo%20Bloggs", "&Phone="};
    EXPECT_EQ(expected, Pieces(pieces));
    std::string body;
    for (const std::string& piece : expected) body += piece;
    body += FormTrailer().Data();
    EXPECT_EQ(static_cast<int32_t>(body.size()), length);  // the bytes on the wire: the exchange's own test
}

TEST(FormBody, WalksOnlyAsFarAsTheShorterList) {
    TextList names, values, pieces;
    EXPECT_EQ(2, BuildFormBody(names, values, pieces));
    EXPECT_EQ(0, pieces.Count());

    names.Add("a");
    names.Add("b");
    names.Add("c");
    values.Add("1");
    values.Add("2");
    TextList fewer;
    EXPECT_EQ(9, BuildFormBody(names, values, fewer));
    EXPECT_EQ((std::vector<std::string>{"a=1", "&b=2"}), Pieces(fewer));

    TextList none, onlyValues;
    EXPECT_EQ(2, BuildFormBody(none, values, onlyValues));
    EXPECT_EQ(0, onlyValues.Count());
}

}  // namespace
