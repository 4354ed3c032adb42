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

// Each run guards its stack with a value of its own, and an overrun ends the
// process at once, as a fail-fast: none of the program's handlers runs.
TEST(StackGuard, DiffersEachRunAndAnOverrunEndsTheProcess) {
    const DWORD first = RunProbe("guard"), second = RunProbe("guard");
    EXPECT_NE(first, second);
    for (DWORD guard : {first, second}) EXPECT_NE(0xBB40E64Eu, guard) << "the fixed guard, not a random one";
    EXPECT_EQ(static_cast<DWORD>(STATUS_STACK_BUFFER_OVERRUN), RunProbe("overrun"));
}

}  // namespace
