#pragma once

#include "rules/Characters.h"

// The form's e-mail rule: not empty, at least one "@" and one ".", anywhere, each
// a character of its own in the code page the address is written in.
bool IsAcceptableEmail(const char* address, const CodePageLayout& layout);
