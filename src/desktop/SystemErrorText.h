#pragma once

#include <windows.h>

#include "core/Text.h"

// The system's readable message for an error code, line break included; for
// a WinInet code the system lacks, the text in `wininet`'s own table, when
// given. Without any: for a code a submission meets, a sentence of the
// program's own that says what it means and names it; else a text that names it.
Text SystemErrorText(DWORD code, HMODULE wininet = nullptr);

