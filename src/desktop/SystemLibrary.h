#pragma once

#include <windows.h>

#include <type_traits>

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

// The function Name of `module` into `function`, which must have the SDK's own
// type for Name (decltype(&::Name)): a calling convention written by hand, or a
// pointer meant for another function, would unbalance the stack on 32-bit
// Windows alone, where no 64-bit run can see it; here it does not compile.
// False when the module lacks the function.
#define RESOLVE(module, Name, function) ResolveAs<decltype(&::Name)>((module), #Name, (function))

template <class Own, class Function>
bool ResolveAs(HMODULE module, const char* name, Function& function) {
    static_assert(std::is_same<Own, Function>::value, "a function goes into a pointer of its own type");
    // Through void (*)(), which any function pointer converts to and from.
    function = reinterpret_cast<Function>(reinterpret_cast<void (*)()>(GetProcAddress(module, name)));
    return function != nullptr;
}
