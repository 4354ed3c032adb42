#include "desktop/SystemLibrary.h"

#include "core/Text.h"

namespace {

using SetDirectoriesFunction = BOOL(WINAPI*)(DWORD);

// Null where the system lacks it, and with it the LOAD_LIBRARY_SEARCH_* flags.
SetDirectoriesFunction SetDefaultDllDirectoriesFunction() {
    // Through void (*)(), which any function pointer converts to and from.
    return reinterpret_cast<SetDirectoriesFunction>(reinterpret_cast<void (*)()>(
        GetProcAddress(GetModuleHandleA("kernel32.dll"), "SetDefaultDllDirectories")));
}

}  // namespace

void SearchDllsInSystemFolderOnly() {
    if (const auto setDirectories = SetDefaultDllDirectoriesFunction()) setDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32);
}

HMODULE LoadSystemLibrary(const char* name) {
    if (SetDefaultDllDirectoriesFunction()) return LoadLibraryExA(name, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
    char folder[MAX_PATH];
    const UINT length = GetSystemDirectoryA(folder, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return nullptr;
    const Text path = Text(folder) + "\\" + name;
    return LoadLibraryExA(path.Data(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
}
