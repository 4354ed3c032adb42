#include "desktop/SystemLibrary.h"

#include "core/Text.h"

namespace {

// Null where the system lacks it, and with it the LOAD_LIBRARY_SEARCH_* flags.
decltype(&::SetDefaultDllDirectories) SetDefaultDllDirectoriesFunction() {
    decltype(&::SetDefaultDllDirectories) function = nullptr;
    RESOLVE(GetModuleHandleA("kernel32.dll"), SetDefaultDllDirectories, function);
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
    const UINT size = GetSystemDirectoryA(nullptr, 0);  // with its terminator
    char* folder = size ? new char[size] : nullptr;
    const UINT length = folder ? GetSystemDirectoryA(folder, size) : 0;
    const Text path = Text(folder) + "\\" + name;
    delete[] folder;
    if (length == 0 || length >= size) return nullptr;
    return LoadLibraryExA(path.Data(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
}
