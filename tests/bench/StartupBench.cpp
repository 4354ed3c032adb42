// Time from process start to a visible form, for two programs side by side.
//   startup_bench.exe ROUNDS PROGRAM_A CAPTION_A PROGRAM_B CAPTION_B
// Each round starts both, in turn A B, then B A the next round, so that neither
// is always first after the other; the ratio is the median of the rounds' own
// ratios, so that the machine's slow drifts cancel within each round.
// Prints: startup_ms MEDIAN_A MEDIAN_B RATIO
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
    std::vector<double> a, b, ratios;
    for (int i = 0; i < rounds; ++i) {
        const bool aFirst = i % 2 == 0;
        const double first = TimeToForm(argv[aFirst ? 2 : 4], argv[aFirst ? 3 : 5]);
        const double second = TimeToForm(argv[aFirst ? 4 : 2], argv[aFirst ? 5 : 3]);
        a.push_back(aFirst ? first : second);
        b.push_back(aFirst ? second : first);
        ratios.push_back(a.back() / b.back());
    }
    printf("startup_ms %.1f %.1f %.3f\n", Median(a), Median(b), Median(ratios));
    return 0;
}
