#pragma once

#include <windows.h>

#include "core/Text.h"

// Reads one text value from the registry and keeps the reason when it fails.
class RegistryReader {
public:
    RegistryReader() = default;
    ~RegistryReader() = default;
    RegistryReader(const RegistryReader&) = delete;
    RegistryReader& operator=(const RegistryReader&) = delete;

    // On success `out` receives a fresh heap copy (delete[] by the caller) of
    // the REG_SZ value; on failure `out` is left alone and Message() says why.
    // With `expand`, a REG_EXPAND_SZ value is taken too, its %VARIABLES% expanded
    // (Windows' own classes store their commands so); without, it is refused.
    bool ReadText(char*& out, HKEY root, const char* subkey, const char* valueName, bool expand = false);

    // Changes only when a read fails.
    const char* Message() const { return message.Data(); }

private:
    bool Fail(LONG code);
    Text message;
};

