#pragma once

#include <stdint.h>

#include "core/Text.h"

// The name web services know an ANSI code page by, for the charset parameter
// of a form post; empty for a code page without a well-known name.
Text CharsetName(uint32_t codePage);
