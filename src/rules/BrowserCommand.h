#pragma once

#include "core/Text.h"

// The program path in a registered open command such as
// "C:\Program Files\Browser\browser.exe" "%1" or C:\browser.exe %1.
Text ProgramPathFromCommand(const Text& command);

// Whether a file (no folder) of this path exists.
using FileExists = bool (*)(const char* path);

// The program path as CreateProcess finds it in the command: a quoted path as it
// stands; an unquoted one, which may hold blanks, starts after any white space and
// ends at the first blank (or the end of the text before a quote) where the text
// so far names an existing file, as it is or with ".exe". Where no such file
// exists, ProgramPathFromCommand.
Text ResolveProgramPath(const Text& command, FileExists exists);
