#include "rules/BrowserCommand.h"

#include <gtest/gtest.h>

#include <string.h>

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

// The files of a pretend disk.
bool OnDisk(const char* path) {
    for (const char* file : {"C:\\Program Files\\Web\\web.exe", "C:\\Program Files\\My Web\\browse.exe", "C:\\Tools\\open"}) {
        if (strcmp(file, path) == 0) return true;
    }
    return false;
}

// An unquoted path with blanks is found as CreateProcess finds it; a quoted one,
// or one that names no file, as the command's text gives it.
TEST(BrowserCommand, ResolvesAnUnquotedPathWithBlanksAsCreateProcessDoes) {
    struct Case { const char* command; const char* path; };
    const Case cases[] = {
        {"C:\\Program Files\\Web\\web.exe \"%1\"", "C:\\Program Files\\Web\\web.exe"},
        {"C:\\Program Files\\Web\\web.exe -new %1", "C:\\Program Files\\Web\\web.exe"},
        {"C:\\Program Files\\Web\\web.exe", "C:\\Program Files\\Web\\web.exe"},
        {"C:\\Program Files\\My Web\\browse %1", "C:\\Program Files\\My Web\\browse.exe"},  // with ".exe"
        {"C:\\Tools\\open file %1", "C:\\Tools\\open"},  // the first that exists
        {"  C:\\Tools\\open %1", "C:\\Tools\\open"},       // after the white space
        {"\"C:\\Program Files\\Web\\web.exe\" \"%1\"", "C:\\Program Files\\Web\\web.exe"},
        {"C:\\Program Files\\Gone\\web.exe \"%1\"", "C:\\Program"},  // nothing there: the text's own cut
        {"", ""},
    };
    for (const Case& c : cases) EXPECT_STREQ(c.path, ResolveProgramPath(Text(c.command), OnDisk).Data()) << c.command;
}

}  // namespace
