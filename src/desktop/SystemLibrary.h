#pragma once

#include <windows.h>

// A DLL lying beside a downloaded program must never run in it: DLLs come from
// the system folder alone.

// Makes the system folder the only place the process looks for the DLLs it
// loads by name. Called first thing; does nothing on systems without
// SetDefaultDllDirectories (the 9x family, Windows before 8 without its update).
void SearchDllsInSystemFolderOnly();

// Loads the system folder's DLL of this name, or returns null. Where the system
// lacks the search flags, from the folder's full path, its own imports searched
// there first.
HMODULE LoadSystemLibrary(const char* name);
