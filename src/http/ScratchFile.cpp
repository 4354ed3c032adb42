#include "http/ScratchFile.h"

void ScratchFile::Open(const char* path) {
    Close();
    file = fopen(path, "w");
}

void ScratchFile::Write(const char* text) {
    if (file) fputs(text, file);
}

void ScratchFile::Close() {
    if (file) fclose(file);
    file = nullptr;
}

Text ScratchFilePath(const char* cacheFolder) { return Text(cacheFolder) + "\\my_download_temp.htm"; }
