#include "rules/BrowserCommand.h"

#include <gtest/gtest.h>

#include <string.h>

namespace {

// The files of a pretend disk.
bool OnDisk(const char* path) {
    for (const char* file : {"C:\\Program Files\\Web\\web.exe", "C:\\Program Files\\My Web\\browse.exe", "C:\\Tools\\open"}) {
        if (strcmp(file, path) == 0) return true;
    }
    return false;
}

// The program path as the open command's text gives it, and as CreateProcess
// finds it on the pretend disk: an unquoted path with blanks up to the first
// prefix that names a file (null: the same as the text gives).
TEST(BrowserCommand, TakesTheProgramPathOutOfTheOpenCommand) {
    struct Case { const char* command; const char* path; const char* resolved; };
    const Case cases[] = {
        {"\"C:\\Program Files\\Web\\web.exe\" -nohome \"%1\"", "C:\\Program Files\\Web\\web.exe", nullptr},
        {"C:\\web\\web.exe", "C:\\web\\web.exe", nullptr},
        {"C:\\web\\web.exe %1", "C:\\web\\web.exe", nullptr},
        {"C:\\web\\web.exe \"%1\"", "C:\\web\\web.exe", nullptr},
        {"   \"C:\\web\\web.exe\" \"%1\"", "C:\\web\\web.exe", nullptr},
        {"C:\\Program Files\\web.exe -new \"%1\"", "C:\\Program Files\\web.exe", nullptr},  // cut at the last blank
        {"C:\\Program Files\\web.exe \"%1\"", "C:\\Program", nullptr},  // nothing there: the text's own cut
        {" C:\\web\\web.exe %1", "", nullptr},
        {"\"C:\\web\\web.exe", "C:\\web\\web.exe", nullptr},  // no closing quote
        {"\"", "", nullptr},
        {"", "", nullptr},
        {"web.exe\t\"%1\"", "web.exe", nullptr},  // a tab is trimmed, but is no blank to cut at
        {"C:\\Program Files\\Web\\web.exe \"%1\"", "C:\\Program", "C:\\Program Files\\Web\\web.exe"},
        {"C:\\Program Files\\Web\\web.exe -new %1", "C:\\Program", "C:\\Program Files\\Web\\web.exe"},
        {"C:\\Program Files\\Web\\web.exe", "C:\\Program", "C:\\Program Files\\Web\\web.exe"},
        {"C:\\Program Files\\My Web\\browse %1", "C:\\Program", "C:\\Program Files\\My Web\\browse.exe"},  // with ".exe"
        {"C:\\Tools\\open file %1", "C:\\Tools\\open", nullptr},  // the first that exists
        {"  C:\\Tools\\open %1", "", "C:\\Tools\\open"},            // after the white space
    };
    for (const Case& c : cases) {
        EXPECT_STREQ(c.path, ProgramPathFromCommand(Text(c.command)).Data()) << c.command;
        EXPECT_STREQ(c.resolved ? c.resolved : c.path, ResolveProgramPath(Text(c.command), OnDisk).Data()) << c.command;
    }
}

}  // namespace
