// The executable's own start. Its C runtime is msvcrt.dll, which sets itself up
// when it loads, so all that has to happen before WinMain is the running of the
// static constructors; exit() then runs the destructors they registered, in
// reverse. The toolchain's start-up code (command-line parsing, TLS callbacks,
// runtime pseudo-relocations, an exception filter) cost a sixth of the
// executable, and the program uses none of it: the link refuses auto-imported
// data, the one thing that would need the pseudo-relocations.
#include <windows.h>

#include <stdlib.h>

#include "desktop/SystemLibrary.h"

// Laid out by the linker: -1, the constructors in link order, then 0.
extern "C" void (*__CTOR_LIST__[])();  // NOLINT(bugprone-reserved-identifier)

// Static objects register their destructors here.
extern "C" int __cdecl atexit(void(__cdecl* destructor)()) {
    return _onexit(reinterpret_cast<_onexit_t>(destructor)) ? 0 : -1;
}

extern "C" void WinMainCRTStartup() {
    SearchDllsInSystemFolderOnly();  // before anything can load a DLL
    int last = 0;
    while (__CTOR_LIST__[last + 1]) ++last;
    while (last > 0) __CTOR_LIST__[last--]();  // the last linked first, as the toolchain does
    char noArguments[] = "";
    exit(WinMain(GetModuleHandleA(nullptr), nullptr, noArguments, SW_SHOWDEFAULT));
}
