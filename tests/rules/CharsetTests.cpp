#include "rules/Charset.h"

#include <gtest/gtest.h>

#include <stdint.h>

#include <utility>

namespace {

// The charset parameter names the ANSI code page as web services know it.
TEST(Charset, NamesTheCodePage) {
    const std::pair<uint32_t, const char*> cases[] = {
        {1250, "windows-1250"}, {1252, "windows-1252"}, {1258, "windows-1258"}, {874, "windows-874"},
        {932, "shift_jis"},     {936, "gbk"},           {949, "ks_c_5601-1987"}, {950, "big5"},
        {65001, "utf-8"},       {1249, ""},             {1259, ""},             {437, ""},
    };
    for (const auto& c : cases) EXPECT_STREQ(c.second, CharsetName(c.first).Data()) << c.first;
}

}  // namespace
