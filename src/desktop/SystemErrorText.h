#pragma once

#include <windows.h>

#include "core/Text.h"

// The system's readable message for an error code, line break included; for
// a WinInet code the system lacks, the text in `wininet`'s own table, when
// given. Without any: a text that names the code.
Text SystemErrorText(DWORD code, HMODULE wininet = nullptr);

