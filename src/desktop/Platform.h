#pragma once

#include <stdint.h>

#include "rules/Characters.h"

// Which Windows this is, and the code page the form's text travels in.

// True on the Windows 9x family, false on NT.
bool IsNotNtPlatform();

// UTF-8 on NT: the inputs are read as UTF-16 and encoded by the program, so that
// every character arrives whatever the system's code page (Windows before 10
// version 1903 ignores the manifest's UTF-8). On 9x, whose inputs hold nothing
// else, the system's ANSI code page.
uint32_t FormCodePage();

// How the bytes of FormCodePage() make characters.
CodePageLayout FormCodePageLayout();
