// The executable's own start. Its C runtime is msvcrt.dll, which sets itself up
// when it loads, so all that has to happen before WinMain is the setting of the
// stack guard and the running of the static constructors; exit() then runs the
// destructors they registered, in reverse. The toolchain's start-up code
// (command-line parsing, TLS callbacks, runtime pseudo-relocations, an exception
// filter) cost a sixth of the executable, and the program uses none of it: the
// link refuses auto-imported data, the one thing that would need the
// pseudo-relocations.
#include <windows.h>

#include <stdlib.h>

#include "desktop/SystemLibrary.h"
#include "startup/StackGuard.h"

// Laid out by the linker: -1, the constructors in link order, then 0.
extern "C" void (*__CTOR_LIST__[])();  // NOLINT(bugprone-reserved-identifier)

namespace {

// The static objects' destructors, run by exit() through one function of the
// type msvcrt's _onexit takes. The program has a handful.
void(__cdecl* destructors[32])();
int destructorCount = 0;

int __cdecl RunDestructors() {
    while (destructorCount > 0) destructors[--destructorCount]();
    return 0;
}

}  // namespace

// Static objects register their destructors here, during the constructors' run.
extern "C" int __cdecl atexit(void(__cdecl* destructor)()) {
    if (destructorCount == static_cast<int>(sizeof destructors / sizeof *destructors)) return -1;
    if (destructorCount == 0 && !_onexit(RunDestructors)) return -1;
    destructors[destructorCount++] = destructor;
    return 0;
}

// Not guarded itself: the guard is set here.
extern "C" __attribute__((no_stack_protector)) void WinMainCRTStartup() {
    SearchDllsInSystemFolderOnly();  // before anything can load a DLL (the guard's random source may); holds no buffer
    // The guard's random source, advapi32's SystemFunction036, forwards to
    // cryptbase.dll on Windows 7 and later, which is no KnownDLL: resolving it
    // loads cryptbase.dll by the standard search, the program's folder first,
    // wherever the search above could not be limited (7 without its update).
    // Loaded first from the system folder, it is found there. (Before 7 there is
    // none to load.)
    if (!HasDllSearchFlags()) LoadSystemLibraryByPath("cryptbase.dll");
    SetStackGuard();  // before any function with a buffer runs
    int last = 0;
    while (__CTOR_LIST__[last + 1]) ++last;
    while (last > 0) __CTOR_LIST__[last--]();  // the last linked first, as the toolchain does
    char noArguments[] = "";
    exit(WinMain(GetModuleHandleA(nullptr), nullptr, noArguments, SW_SHOWDEFAULT));
}
