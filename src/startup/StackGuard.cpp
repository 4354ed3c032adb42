#include "startup/StackGuard.h"

#include <windows.h>

#include <ntsecapi.h>
#include <stdint.h>

#include "desktop/SystemLibrary.h"

namespace {

// Until the start-up sets a random guard (and in programs that start another
// way, the tests): a fixed one, as Windows' own compiler has.
const uintptr_t kFixedGuard = sizeof(uintptr_t) == 8 ? static_cast<uintptr_t>(0x00002B992DDFA232ULL) : 0xBB40E64EU;

}  // namespace

extern "C" {

uintptr_t __stack_chk_guard = kFixedGuard;  // NOLINT(bugprone-reserved-identifier): the compiler's name

// Called by a function whose guard was overwritten: the stack is not to be
// trusted, so nothing of the program runs any more. A fail-fast where the
// system has one (Windows 8 on) reaches no handler at all.
[[noreturn]] void __stack_chk_fail() {  // NOLINT(bugprone-reserved-identifier): the compiler's name
    decltype(&::IsProcessorFeaturePresent) featurePresent = nullptr;
    if (RESOLVE(GetModuleHandleA("kernel32.dll"), IsProcessorFeaturePresent, featurePresent) &&
        featurePresent(PF_FASTFAIL_AVAILABLE)) {
        __asm__ volatile("int $0x29" : : "c"(FAST_FAIL_STACK_COOKIE_CHECK_FAILURE));
    }
    TerminateProcess(GetCurrentProcess(), static_cast<UINT>(STATUS_STACK_BUFFER_OVERRUN));
    for (;;) {
    }
}

}  // extern "C"

// Not guarded itself: it changes the guard it would be checked against.
__attribute__((no_stack_protector)) void SetStackGuard() {
    uintptr_t guard = 0;
    // The system's random numbers where it has them (XP on), whether or not the
    // program imports advapi32; a KnownDLL, it always comes from the system ...
    decltype(&::SystemFunction036) random = nullptr;
    if (RESOLVE(LoadLibraryA("advapi32.dll"), SystemFunction036, random)) random(&guard, sizeof guard);
    // ... and on every system what differs from run to run: the time, the
    // process and thread, the counter, and where the stack lies.
    FILETIME now;
    GetSystemTimeAsFileTime(&now);
    LARGE_INTEGER counter;
    QueryPerformanceCounter(&counter);
    guard ^= now.dwLowDateTime ^ (static_cast<uintptr_t>(now.dwHighDateTime) << (sizeof(uintptr_t) * 4));
    guard ^= (static_cast<uintptr_t>(GetCurrentProcessId()) << 16) ^ GetCurrentThreadId() ^ GetTickCount();
    guard ^= static_cast<uintptr_t>(counter.QuadPart) ^ reinterpret_cast<uintptr_t>(&guard);
    __stack_chk_guard = guard ? guard : kFixedGuard;
}
