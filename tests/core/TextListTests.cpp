#include "core/TextList.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// Walks the list the way every caller does and records what each Next() gave;
// at each step the cursor names the node it returned, by its position.
std::vector<std::string> Walk(TextList& list) {
    std::vector<std::string> seen;
    if (!list.First()) return seen;
    bool more = true;
    while (more) {
        const char* text = list.Next(more);
        seen.push_back(text ? text : "<none>");
        EXPECT_EQ(text ? static_cast<int32_t>(seen.size()) : 0, list.Current());
        EXPECT_EQ(more, text && list.Current() < list.Count());
    }
    return seen;
}

TEST(TextList, WalkReturnsCopiesInInsertionOrder) {
    TextList list;
    char source[] = "alpha";
    EXPECT_EQ(1, list.Add(source));
    source[0] = 'A';  // the list holds its own copy
    EXPECT_EQ(2, list.Add(""));
    EXPECT_EQ(3, list.Add("gamma"));
    EXPECT_EQ((std::vector<std::string>{"alpha", "", "gamma"}), Walk(list));
    EXPECT_EQ((std::vector<std::string>{"alpha", "", "gamma"}), Walk(list));  // walks repeat
}

TEST(TextList, CursorReportsNumberAndMore) {
    TextList list;
    list.Add("a");
    list.Add("b");
    ASSERT_TRUE(list.First());
    bool more = false;
    EXPECT_STREQ("a", list.Next(more));
    EXPECT_TRUE(more);
    EXPECT_STREQ("b", list.Next(more));
    EXPECT_FALSE(more);
    more = true;
    EXPECT_EQ(nullptr, list.Next(more));  // past the newest node
    EXPECT_FALSE(more);
    EXPECT_EQ(0, list.Current());
    more = true;
    EXPECT_EQ(nullptr, list.Next(more));  // and it stays there
    EXPECT_FALSE(more);
}

TEST(TextList, EmptyListHasNothingToWalk) {
    TextList list;
    EXPECT_FALSE(list.First());
    bool more = true;
    EXPECT_EQ(nullptr, list.Next(more));
    EXPECT_FALSE(more);
    EXPECT_EQ(0, list.Current());
}

TEST(TextList, AddAfterAWalkClearsTheCursor) {
    TextList list;
    list.Add("a");
    ASSERT_TRUE(list.First());
    bool more = false;
    EXPECT_STREQ("a", list.Next(more));
    list.Add("b");
    EXPECT_EQ(0, list.Current());
    more = true;
    EXPECT_EQ(nullptr, list.Next(more));  // a new walk must begin with First()
    EXPECT_FALSE(more);
    EXPECT_EQ((std::vector<std::string>{"a", "b"}), Walk(list));
}

TEST(TextList, ClearStartsNumberingAgain) {
    TextList list;
    list.Clear();
    EXPECT_EQ(0, list.Count());
    list.Add("a");
    list.Add("b");
    list.Clear();
    EXPECT_EQ(0, list.Count());
    EXPECT_FALSE(list.First());
    EXPECT_EQ(1, list.Add("c"));
    EXPECT_EQ((std::vector<std::string>{"c"}), Walk(list));
}

}  // namespace
