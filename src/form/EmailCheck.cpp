#include "form/EmailCheck.h"

#include <string.h>

bool IsAcceptableEmail(const char* address) {
    return *address && strchr(address, '@') && strchr(address, '.');
}
