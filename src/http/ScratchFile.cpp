#include "http/ScratchFile.h"

#include <fcntl.h>
#include <io.h>
#include <stddef.h>
#include <stdint.h>
#include <stdio.h>

#include "core/Text.h"

namespace {

// One turn, from here to the end of the scope.
class Turn {
public:
    explicit Turn(CRITICAL_SECTION& turns) : turns(turns) { EnterCriticalSection(&turns); }
    ~Turn() { LeaveCriticalSection(&turns); }
    Turn(const Turn&) = delete;
    Turn& operator=(const Turn&) = delete;

private:
    CRITICAL_SECTION& turns;
};

// Like fopen(path, "w"), text mode, but shared for deletion: the file can be
// removed while a worker the program no longer waits for still writes to it.
FILE* CreateForWriting(const char* path) {
    const DWORD share = FILE_SHARE_READ | FILE_SHARE_WRITE;
    HANDLE handle = CreateFileA(path, GENERIC_WRITE, share | FILE_SHARE_DELETE, nullptr, CREATE_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {  // Windows 9x knows no shared deletion
        handle = CreateFileA(path, GENERIC_WRITE, share, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    }
    if (handle == INVALID_HANDLE_VALUE) return nullptr;
    const int descriptor = _open_osfhandle(reinterpret_cast<intptr_t>(handle), _O_WRONLY | _O_TEXT);
    if (descriptor < 0) {
        CloseHandle(handle);
        return nullptr;
    }
    FILE* stream = _fdopen(descriptor, "w");
    if (!stream) _close(descriptor);
    return stream;
}

}  // namespace

void ScratchFile::Open(const char* cacheFolder) {
    Close();
    const Turn turn(turns);
    if (abandoned) return;
    path = ScratchFilePath(cacheFolder);
    file = CreateForWriting(path.Data());
    room = kLargestBody;
}

void ScratchFile::Remove() {
    Close();
    const Turn turn(turns);
    if (!path.IsEmpty()) DeleteFileA(path.Data());  // a file already gone is no error
}

void ScratchFile::Abandon() {
    const Turn turn(turns);
    abandoned = true;
    if (!path.IsEmpty()) DeleteFileA(path.Data());
}

void ScratchFile::Write(const char* text) {
    if (!file) return;
    size_t count = 0;
    for (long cost; text[count] && (cost = text[count] == '\n' ? 2 : 1) <= room; ++count) {
        room -= cost;  // text mode stores a line feed as two bytes
    }
    fwrite(text, 1, count, file);
}

void ScratchFile::Close() {
    if (file) fclose(file);
    file = nullptr;
}

Text ScratchFilePath(const char* cacheFolder) {
    Text folder(cacheFolder);
    if (folder.IsEmpty()) {
        // Never a drive's root: a file of that name there may be someone else's.
        const DWORD size = GetTempPathA(0, nullptr);  // with its terminator
        char* temp = size ? new char[size] : nullptr;
        const DWORD length = temp ? GetTempPathA(size, temp) : 0;
        if (length > 0 && length < size) {
            folder = Text(temp).Left(static_cast<int32_t>(length) - 1);  // without its closing backslash
        }
        delete[] temp;
        if (folder.IsEmpty()) return Text();
    }
    return folder + "\\my_download_temp.htm";
}
