#pragma once

#include <windows.h>

#include <string>

// Writes a value (the key is created as needed) in the test prefix's registry.
inline void SetRegistryValue(HKEY root, const char* subkey, const char* name, DWORD type, const std::string& bytes) {
    HKEY key = nullptr;
    RegCreateKeyExA(root, subkey, 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr);
    RegSetValueExA(key, name, 0, type, reinterpret_cast<const BYTE*>(bytes.data()), static_cast<DWORD>(bytes.size()));
    RegCloseKey(key);
}

// Puts a string value back as it was when the guard was made.
class SavedRegistryValue {
public:
    SavedRegistryValue(HKEY root, const char* subkey, const char* name) : root(root), subkey(subkey), name(name) {
        char buffer[1024];
        DWORD size = sizeof buffer, type = 0;
        existed = RegGetValueA(root, subkey, name, RRF_RT_REG_SZ, &type, buffer, &size) == ERROR_SUCCESS;
        if (existed) value.assign(buffer, size);
    }
    ~SavedRegistryValue() {
        if (existed) {
            SetRegistryValue(root, subkey.c_str(), name.c_str(), REG_SZ, value);
        } else {
            HKEY key = nullptr;
            if (RegOpenKeyExA(root, subkey.c_str(), 0, KEY_WRITE, &key) == ERROR_SUCCESS) {
                RegDeleteValueA(key, name.c_str());
                RegCloseKey(key);
            }
        }
    }

private:
    HKEY root;
    std::string subkey, name, value;
    bool existed = false;
};
