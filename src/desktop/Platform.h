#pragma once

#include "form/Characters.h"

// The layout of the process's ANSI code page, the one the A functions speak:
// UTF-8 where the manifest's code page is honoured, else the system's.
CodePageLayout AnsiCodePage();
