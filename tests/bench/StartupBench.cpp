// Time from process start to a visible form, for two programs side by side.
//   startup_bench.exe ROUNDS PROGRAM_A CAPTION_A PROGRAM_B CAPTION_B
#include <windows.h>

#include <stdio.h>
#include <stdlib.h>

#include <string>
#include <vector>

#include "BenchClock.h"
#include "support/WindowProbe.h"

namespace {

// Milliseconds until the program shows its dialog, or -1.
double TimeToForm(const std::string& program, const char* caption) {
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    std::string commandLine = "\"" + program + "\"";
    const double start = Now();
    if (!CreateProcessA(program.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &process))
        return -1;
    double shown = -1;
    while (Now() - start < 20000) {
        if (FindDialog(process.dwProcessId, caption)) {
            shown = Now() - start;
            break;
        }
        Sleep(1);
    }
    TerminateProcess(process.hProcess, 0);  // closing the form would open a page
    WaitForSingleObject(process.hProcess, 5000);
    CloseHandle(process.hProcess);
    CloseHandle(process.hThread);
    return shown;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 6) return 2;
    const int rounds = atoi(argv[1]);
    std::vector<double> a, b;
    for (int i = 0; i < rounds; ++i) {  // alternating, so that both see the same machine
        a.push_back(TimeToForm(argv[2], argv[3]));
        b.push_back(TimeToForm(argv[4], argv[5]));
    }
    printf("startup_ms %.1f %.1f %.2f\n", Median(a), Median(b), Median(a) / Median(b));
    return 0;
}
