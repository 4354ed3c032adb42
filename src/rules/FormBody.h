#pragma once

#include <stdint.h>

#include "core/Text.h"
#include "core/TextList.h"

// Percent-encodes every byte but ASCII letters and digits, in lower-case hex.
Text UrlEncode(const Text& value);

// One body piece: ["&"] name "=" encoded value.
Text EncodeFormPart(const Text& name, const Text& value, bool notFirst);

// Fills `pieces` (fresh and empty) with one piece per name/value pair and
// returns the body length, the trailer included. Surplus entries of the
// longer list are ignored.
int32_t BuildFormBody(TextList& names, TextList& values, TextList& pieces);

// The line break that ends the body.
Text FormTrailer();
