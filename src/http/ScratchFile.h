#pragma once

#include <windows.h>

#include <stdio.h>

// The output stream for the scratch file: C stdio, text mode, so that each
// line feed written is stored as carriage return and line feed.
class ScratchFile {
public:
    ScratchFile() : file(nullptr) {}
    virtual ~ScratchFile() { Close(); }
    ScratchFile(const ScratchFile&) = delete;
    ScratchFile& operator=(const ScratchFile&) = delete;

    // Creates or truncates the file. A file that cannot be opened is no
    // failure: the writes that follow then have no effect.
    void Open(const char* path);
    // For a program that ends without waiting for its worker: removes the file
    // at `path` (now, or as soon as the open stream is gone) and opens none again.
    void Abandon(const char* path);
    void Write(const char* text);  // up to its first NUL
    void Close();
    bool IsOpen() const { return file != nullptr; }

private:
    FILE* file;
    volatile LONG busy = 0;  // Open and Abandon take turns
    bool abandoned = false;
};

#include "core/Text.h"

// The scratch file's path: the cache folder (none counts as empty) and its name.
Text ScratchFilePath(const char* cacheFolder);
