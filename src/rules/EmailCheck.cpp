#include "rules/EmailCheck.h"

#include "rules/Characters.h"

bool IsAcceptableEmail(const char* address, const CodePageLayout& layout) {
    return *address && HasCharacter(layout, address, '@') && HasCharacter(layout, address, '.');
}
