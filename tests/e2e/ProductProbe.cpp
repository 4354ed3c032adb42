// Built exactly as DownloadRequest.exe is (its start-up, flags and link), for what
// only such a process can show. The last word of its command line names the check:
//   guard       exits with the low 32 bits of this run's stack guard
//   overrun     overruns a stack buffer with handlers of its own in place: the process
//               must end with STATUS_STACK_BUFFER_OVERRUN, none of them run (they exit 1-3;
//               5 when the first saw the guard's fail-fast raised as an ordinary exception)
//   dll-default loads wininet.dll by its bare name, as the start-up left the search
//   dll-flag    undoes the start-up's setting, loads WinInet the program's way where
//               the system has the search flags
//   dll-path    undoes it too, loads WinInet the way for systems without them
// A dll check exits 0 when WinInet came from the system folder, 1 when not.
#include <windows.h>

#include <stdint.h>
#include <stdlib.h>
#include <string.h>

#include "desktop/SystemLibrary.h"

extern "C" uintptr_t __stack_chk_guard;  // NOLINT(bugprone-reserved-identifier)

namespace {

// A system that knows no fail-fast raises it as an ordinary exception, at its
// instruction (int 0x29) and with the guard's code in ecx.
bool IsGuardFailFast(const EXCEPTION_POINTERS* exception) {
    const auto* at = static_cast<const unsigned char*>(exception->ExceptionRecord->ExceptionAddress);
#ifdef _WIN64
    const DWORD64 code = exception->ContextRecord->Rcx;
#else
    const DWORD code = exception->ContextRecord->Ecx;
#endif
    return at && at[0] == 0xCD && at[1] == 0x29 && code == FAST_FAIL_STACK_COOKIE_CHECK_FAILURE;
}

LONG CALLBACK FirstHandler(EXCEPTION_POINTERS* exception) { ExitProcess(IsGuardFailFast(exception) ? 5 : 1); }
LONG WINAPI LastHandler(EXCEPTION_POINTERS*) { ExitProcess(2); }
void AtExit() { ExitProcess(3); }

// Longer than the buffer below; through a volatile pointer, so that the compiler cannot see it coming.
const char* volatile tooLong = "far more than sixteen characters, and then some more";

// A stack buffer written past its end, as a bug would write it.
__attribute__((noinline)) int Overrun() {
    char buffer[16];
    strcpy(buffer, tooLong);  // NOLINT: the overrun is the point
    return buffer[0];
}

bool FromSystemFolder(HMODULE module) {
    char system[MAX_PATH], loaded[MAX_PATH];
    const UINT length = GetSystemDirectoryA(system, MAX_PATH);
    return module && GetModuleFileNameA(module, loaded, MAX_PATH) && _strnicmp(system, loaded, length) == 0;
}

// Back to the search that takes the program's folder first, as where the start-up's setting is missing.
void UndoProcessWideSearch() { SetDefaultDllDirectories(LOAD_LIBRARY_SEARCH_DEFAULT_DIRS); }

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    const char* line = GetCommandLineA();
    const char* check = strrchr(line, ' ') ? strrchr(line, ' ') + 1 : line;
    if (strcmp(check, "guard") == 0) return static_cast<int>(static_cast<uint32_t>(__stack_chk_guard));
    if (strcmp(check, "overrun") == 0) {
        AddVectoredExceptionHandler(1, FirstHandler);
        SetUnhandledExceptionFilter(LastHandler);
        atexit(AtExit);
        return Overrun();
    }
    if (strcmp(check, "dll-default") == 0) return FromSystemFolder(LoadLibraryA("wininet.dll")) ? 0 : 1;
    UndoProcessWideSearch();
    if (strcmp(check, "dll-flag") == 0) return FromSystemFolder(LoadSystemLibrary("wininet.dll")) ? 0 : 1;
    if (strcmp(check, "dll-path") == 0) return FromSystemFolder(LoadSystemLibraryByPath("wininet.dll")) ? 0 : 1;
    return 4;
}
