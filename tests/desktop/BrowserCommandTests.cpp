#include "desktop/BrowserCommand.h"

#include <gtest/gtest.h>

namespace {

TEST(BrowserCommand, TakesTheProgramPathOutOfTheOpenCommand) {
    struct Case { const char* command; const char* path; };
    const Case cases[] = {
        {"\"C:\\Program Files\\Web\\web.exe\" -nohome \"%1\"", "C:\\Program Files\\Web\\web.exe"},
        {"C:\\web\\web.exe", "C:\\web\\web.exe"},
        {"C:\\web\\web.exe %1", "C:\\web\\web.exe"},
        {"C:\\web\\web.exe \"%1\"", "C:\\web\\web.exe"},
        {"   \"C:\\web\\web.exe\" \"%1\"", "C:\\web\\web.exe"},
        {"C:\\Program Files\\web.exe -new \"%1\"", "C:\\Program Files\\web.exe"},  // cut at the last blank
        {"C:\\Program Files\\web.exe \"%1\"", "C:\\Program"},
        {" C:\\web\\web.exe %1", ""},
        {"\"C:\\web\\web.exe", "C:\\web\\web.exe"},  // no closing quote
        {"\"", ""},
        {"", ""},
        {"web.exe\t\"%1\"", "web.exe"},  // a tab is trimmed, but is no blank to cut at
    };
    for (const Case& c : cases) EXPECT_STREQ(c.path, ProgramPathFromCommand(Text(c.command)).Data()) << c.command;
}

}  // namespace
