#pragma once

#include <windows.h>

#include <stdio.h>

// The most a response body may take: that much is read, and the scratch file
// never grows past it.
const long kLargestBody = 16 * 1024 * 1024;

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
    // Up to its first NUL, and only as much as keeps the file within kLargestBody.
    void Write(const char* text);
    void Close();
    bool IsOpen() const { return file != nullptr; }

private:
    FILE* file;
    long room = 0;  // bytes the file may still grow by
    volatile LONG busy = 0;  // Open and Abandon take turns
    bool abandoned = false;
};

#include "core/Text.h"

// The scratch file's path: the cache folder and its name. Without a cache
// folder, the user's temporary folder; empty when even that is unknown.
Text ScratchFilePath(const char* cacheFolder);
