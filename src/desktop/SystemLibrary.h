#pragma once

#include <windows.h>

// A DLL lying beside a downloaded program must never run in it: DLLs come from
// the system folder alone.

// Makes the system folder the only place the process looks for the DLLs it
// loads by name. Called first thing; does nothing on systems without
// SetDefaultDllDirectories (the 9x family, Windows before 8 without its update).
void SearchDllsInSystemFolderOnly();

// Whether the system has SetDefaultDllDirectories and the LOAD_LIBRARY_SEARCH_* flags.
bool HasDllSearchFlags();

// Loads the system folder's DLL of this name, or returns null: with
// LOAD_LIBRARY_SEARCH_SYSTEM32 (it and its imports from there alone), or where
// the system lacks the search flags, LoadSystemLibraryByPath.
HMODULE LoadSystemLibrary(const char* name);

// Loads the DLL from the system folder's full path, its own imports searched
// there first (LOAD_WITH_ALTERED_SEARCH_PATH): the way on systems without the
// search flags.
HMODULE LoadSystemLibraryByPath(const char* name);

// The function `name` of `module` into `function`, which is declared with the
// SDK's own type (decltype(&::Name)): a 32-bit calling convention written by
// hand could be wrong where no check sees it. False when the module lacks it.
template <class Function>
bool Resolve(HMODULE module, const char* name, Function& function) {
    // Through void (*)(), which any function pointer converts to and from.
    function = reinterpret_cast<Function>(reinterpret_cast<void (*)()>(GetProcAddress(module, name)));
    return function != nullptr;
}
