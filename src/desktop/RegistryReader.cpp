#include "desktop/RegistryReader.h"


#include "desktop/SystemErrorText.h"

namespace {

// Closes the opened key on every path.
struct OpenKey {
    HKEY key = nullptr;
    ~OpenKey() {
        if (key) RegCloseKey(key);
    }
};

}  // namespace

bool RegistryReader::Fail(LONG code) {
    message = SystemErrorText(static_cast<DWORD>(code));
    return false;
}

bool RegistryReader::ReadText(char*& out, HKEY root, const char* subkey, const char* valueName, bool expand) {
    OpenKey opened;
    LONG result = RegOpenKeyExA(root, subkey, 0, KEY_READ, &opened.key);
    if (result != ERROR_SUCCESS) {
        opened.key = nullptr;
        return Fail(result);
    }
    DWORD type = 0, size = 0;
    result = RegQueryValueExA(opened.key, valueName, nullptr, &type, nullptr, &size);
    if (result != ERROR_SUCCESS) return Fail(result);
    if (size == 0 || (type != REG_SZ && !(expand && type == REG_EXPAND_SZ))) {
        message = "The type you specified mismatch with registry value type";
        return false;
    }
    char* value = new char[size + 1];
    result = RegQueryValueExA(opened.key, valueName, nullptr, &type, reinterpret_cast<BYTE*>(value), &size);
    if (result != ERROR_SUCCESS) {
        delete[] value;
        return Fail(result);
    }
    value[size] = '\0';  // a stored string need not carry its terminator
    if (type == REG_EXPAND_SZ) {
        const DWORD needed = ExpandEnvironmentStringsA(value, nullptr, 0);
        char* expanded = needed ? new char[needed + 1] : nullptr;
        const DWORD got = expanded ? ExpandEnvironmentStringsA(value, expanded, needed + 1) : 0;
        if (got == 0 || got > needed + 1) {  // failed, or the environment grew in between
            delete[] expanded;
            delete[] value;
            return Fail(got ? ERROR_INSUFFICIENT_BUFFER : static_cast<LONG>(GetLastError()));
        }
        delete[] value;
        value = expanded;
    }
    out = value;  // the caller's: the string up to its first NUL, in a buffer of its own
    return true;
}
