#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "support/BesideThisProgram.h"

namespace {

// The exit code of the probe, built as the product is, run on one check; STILL_ACTIVE if it hung.
DWORD RunProbe(const char* check) {
    const std::string program = BesideThisProgram("product_probe.exe");
    std::string commandLine = "\"" + program + "\" " + check;
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    if (!CreateProcessA(program.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &process)) {
        return 0xFFFFFFFF;
    }
    DWORD code = STILL_ACTIVE;
    if (WaitForSingleObject(process.hProcess, 10000) != WAIT_OBJECT_0) TerminateProcess(process.hProcess, 1);
    GetExitCodeProcess(process.hProcess, &code);
    CloseHandle(process.hProcess);
    CloseHandle(process.hThread);
    return code;
}

// Each run guards its stack with a value of its own: random in every bit, not
// only in those the time and the process change. And an overrun ends the process
// at once, as a fail-fast: none of the program's handlers runs.
TEST(StackGuard, IsRandomEachRunAndAnOverrunEndsTheProcess) {
    // The low 32 bits of the fixed guard a program keeps that never sets its own.
    const DWORD fixed = sizeof(void*) == 8 ? 0x2DDFA232u : 0xBB40E64Eu;
    const DWORD first = RunProbe("guard");
    DWORD changed = 0;  // the bits in which a later run's guard differs from the first's
    for (int run = 0; run < 20; ++run) {
        const DWORD guard = RunProbe("guard");
        EXPECT_NE(fixed, guard) << "the fixed guard, not one of this run";
        changed |= guard ^ first;
    }
    EXPECT_EQ(0xFFFFFFFFu, changed) << "the bits that never changed are not random";
    // Under an emulator (qemu-i386) Wine takes the fail-fast's int 0x29 for an illegal
    // instruction and raises an ordinary exception, which the probe's first handler
    // recognises (5): the guard fired; that no handler runs, only a real processor shows.
    const bool emulated = GetEnvironmentVariableA("DR_WINE_EMULATOR", nullptr, 0) > 0;
    const DWORD overrun = RunProbe("overrun");
    if (!(emulated && overrun == 5)) {
        EXPECT_EQ(static_cast<DWORD>(STATUS_STACK_BUFFER_OVERRUN), overrun);
    }
}

}  // namespace
