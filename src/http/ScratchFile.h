#pragma once

#include <windows.h>

#include <stdio.h>

#include "core/Text.h"

// The most a response body may take: that much is read, and the scratch file
// never grows past it.
const long kLargestBody = 16 * 1024 * 1024;

// The scratch file, from its making to its removal: its one owner. The stream is
// C stdio in text mode, so that each line feed written is stored as carriage
// return and line feed. The worker opens, writes, closes and removes it; a form
// closed without waiting for the worker abandons it from the form's thread.
class ScratchFile {
public:
    ScratchFile() { InitializeCriticalSection(&turns); }  // the program's own is made before WinMain
    ~ScratchFile() {
        Close();
        DeleteCriticalSection(&turns);
    }
    ScratchFile(const ScratchFile&) = delete;
    ScratchFile& operator=(const ScratchFile&) = delete;

    // Creates or truncates "my_download_temp.htm" in cacheFolder (the temporary
    // folder without one) and keeps its path. A file that cannot be opened is no
    // failure: the writes that follow then have no effect.
    void Open(const char* cacheFolder);
    // Up to its first NUL, and only as much as keeps the file within kLargestBody.
    void Write(const char* text);
    void Close();
    // Closes and deletes the file Open made, if any.
    void Remove();
    // For a program that ends without waiting for its worker: deletes the file
    // (now, or as soon as the open stream is gone) and lets none be opened again.
    void Abandon();

private:
    FILE* file = nullptr;
    long room = 0;  // bytes the file may still grow by
    // Open, Remove and Abandon take turns: they share the path and the flag.
    CRITICAL_SECTION turns;
    Text path;  // of the file Open made; empty before
    bool abandoned = false;
};

// The scratch file's path: the cache folder and its name. Without a cache
// folder, the user's temporary folder; empty when even that is unknown.
Text ScratchFilePath(const char* cacheFolder);
