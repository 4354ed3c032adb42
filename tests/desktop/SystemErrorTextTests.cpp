#include "desktop/SystemErrorText.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(SystemErrorText, GivesTheSystemTextOrAFixedFallback) {
    const std::string known = SystemErrorText(ERROR_FILE_NOT_FOUND).Data();
    EXPECT_FALSE(known.empty());
    EXPECT_EQ(std::string::npos, known.find("cannot find error message"));
    EXPECT_EQ('\n', known.back());  // the system's text, line break included

    EXPECT_STREQ("The system cannot find error message for error number ", SystemErrorText(0x2000ABCD).Data());
}

}  // namespace
