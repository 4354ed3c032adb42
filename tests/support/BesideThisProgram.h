#pragma once

#include <windows.h>

#include <string>

// The path of a file in the folder of the running test program (the programs a
// test starts, such as the recording browser, are built there).
inline std::string BesideThisProgram(const char* name) {
    char self[MAX_PATH];
    GetModuleFileNameA(nullptr, self, MAX_PATH);
    const std::string path(self);
    return path.substr(0, path.rfind('\\') + 1) + name;
}
