#include "desktop/SystemErrorText.h"

#include <wininet.h>

#include <gtest/gtest.h>

#include <string>

#include "http/WinInet.h"

namespace {

TEST(SystemErrorText, GivesTheSystemsOrWinInetsTextOrNamesTheCode) {
    const std::string known = SystemErrorText(ERROR_FILE_NOT_FOUND).Data();
    EXPECT_FALSE(known.empty());
    EXPECT_EQ(std::string::npos, known.find("cannot find error message"));
    EXPECT_EQ('\n', known.back());  // the system's text, line break included

    // WinInet's codes are not in the system's table but in WinInet's own.
    ASSERT_NE(nullptr, WinInet());
    for (DWORD code : {ERROR_INTERNET_TIMEOUT, ERROR_INTERNET_CANNOT_CONNECT, ERROR_INTERNET_SEC_CERT_DATE_INVALID}) {
        const std::string text = SystemErrorText(code, WinInet()->module).Data();
        EXPECT_EQ(std::string::npos, text.find("cannot find error message")) << code;
        EXPECT_FALSE(text.empty()) << code;
    }

    EXPECT_STREQ("The system cannot find error message for error number 536914893", SystemErrorText(0x2000ABCD).Data());
    EXPECT_STREQ("The system cannot find error message for error number 12999", SystemErrorText(12999).Data());
    EXPECT_STREQ("The system cannot find error message for error number 3758140365", SystemErrorText(0xE000ABCD).Data());
}

}  // namespace
