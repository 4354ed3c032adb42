#pragma once

#include <windows.h>

#include "core/Text.h"

// The system's readable message for an error code, line break included.
Text SystemErrorText(DWORD code);

// The system's message for `code` into a LocalAlloc'd buffer, or null when the
// system has none. The caller releases it with LocalFree.
char* FormatSystemMessage(DWORD code);
