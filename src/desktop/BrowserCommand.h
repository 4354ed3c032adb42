#pragma once

#include "core/Text.h"

// The program path in a registered open command such as
// "C:\Program Files\Browser\browser.exe" "%1" or C:\browser.exe %1.
Text ProgramPathFromCommand(const Text& command);
