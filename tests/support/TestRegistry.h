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

// The system's proxy settings, as this process alone sees them: the current
// user's registry is redirected to a volatile key of its own while the guard
// lives, so that no other program (and no later run) of the test prefix meets them.
class ProxySettings {
public:
    explicit ProxySettings(const std::string& server, const std::string& bypass = "") {
        RegCreateKeyExA(HKEY_CURRENT_USER, kUser, 0, nullptr, REG_OPTION_VOLATILE, KEY_ALL_ACCESS, nullptr, &user,
                        nullptr);
        HKEY settings = nullptr;
        RegCreateKeyExA(user, "Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings", 0, nullptr,
                        REG_OPTION_VOLATILE, KEY_WRITE, nullptr, &settings, nullptr);
        const DWORD enabled = 1;
        RegSetValueExA(settings, "ProxyEnable", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&enabled), sizeof enabled);
        RegSetValueExA(settings, "ProxyServer", 0, REG_SZ, reinterpret_cast<const BYTE*>(server.c_str()),
                       static_cast<DWORD>(server.size() + 1));
        RegSetValueExA(settings, "ProxyOverride", 0, REG_SZ, reinterpret_cast<const BYTE*>(bypass.c_str()),
                       static_cast<DWORD>(bypass.size() + 1));
        RegCloseKey(settings);
        RegOverridePredefKey(HKEY_CURRENT_USER, user);
    }
    ~ProxySettings() {
        RegOverridePredefKey(HKEY_CURRENT_USER, nullptr);
        RegCloseKey(user);
        RegDeleteTreeA(HKEY_CURRENT_USER, kUser);
    }
    ProxySettings(const ProxySettings&) = delete;
    ProxySettings& operator=(const ProxySettings&) = delete;

private:
    static constexpr const char* kUser = "Software\\DownloadRequestTestsProxyUser";
    HKEY user = nullptr;
};
