#include "desktop/SystemLibrary.h"


namespace {

// Null where the system lacks it, and with it the LOAD_LIBRARY_SEARCH_* flags.
decltype(&::SetDefaultDllDirectories) SetDefaultDllDirectoriesFunction() {
    decltype(&::SetDefaultDllDirectories) function = nullptr;
    Resolve(GetModuleHandleA("kernel32.dll"), "SetDefaultDllDirectories", function);
    return function;
}

}  // namespace

void SearchDllsInSystemFolderOnly() {
    if (const auto setDirectories = SetDefaultDllDirectoriesFunction()) setDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32);
}

bool HasDllSearchFlags() { return SetDefaultDllDirectoriesFunction() != nullptr; }

HMODULE LoadSystemLibrary(const char* name) {
    if (HasDllSearchFlags()) return LoadLibraryExA(name, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
    return LoadSystemLibraryByPath(name);
}

HMODULE LoadSystemLibraryByPath(const char* name) {
    char path[MAX_PATH + 32];  // the folder, then the name (the program's own, short)
    const UINT length = GetSystemDirectoryA(path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return nullptr;
    wsprintfA(path + length, "\\%.30s", name);
    return LoadLibraryExA(path, nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
}
