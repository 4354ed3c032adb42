// A browser that only records how it was started: one line per start, appended
// to the file named by DR_BROWSER_LOG:  first argument|desktop|command line|its own file name
// (Wine hands a child an empty desktop name when its parent set none.)
#include <windows.h>

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

int main(int argc, char** argv) {
    const char* log = getenv("DR_BROWSER_LOG");
    if (!log) return 1;
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    GetStartupInfoA(&startup);
    char self[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, self, MAX_PATH);
    FILE* out = fopen(log, "a");
    if (!out) return 1;
    fprintf(out, "%s|%s|%s|%s\n", argc > 1 ? argv[1] : "(none)", startup.lpDesktop && *startup.lpDesktop ? startup.lpDesktop : "(none)",
            GetCommandLineA(), strrchr(self, '\\') ? strrchr(self, '\\') + 1 : self);
    fclose(out);
    return 0;
}
