#include "desktop/SystemErrorText.h"

char* FormatSystemMessage(DWORD code) {
    char* message = nullptr;
    const DWORD length = FormatMessageA(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code,
        MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT), reinterpret_cast<char*>(&message), 0, nullptr);
    if (length == 0) {
        if (message) LocalFree(message);
        return nullptr;
    }
    return message;
}

Text SystemErrorText(DWORD code) {
    char* message = FormatSystemMessage(code);
    if (!message) return Text("The system cannot find error message for error number ");
    Text text(message);
    LocalFree(message);
    return text;
}
