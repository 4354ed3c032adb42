#include "desktop/Browser.h"

#include <windows.h>

#include <string.h>

#include <atomic>

#include "core/Text.h"
#include "desktop/BrowserCommand.h"
#include "desktop/ErrorBox.h"
#include "desktop/Platform.h"
#include "desktop/RegistryReader.h"

char* browserPath = nullptr;

namespace {

char* HeapCopy(const Text& text) {
    char* copy = new char[static_cast<size_t>(text.Length()) + 1];
    memcpy(copy, text.Data(), static_cast<size_t>(text.Length()) + 1);
    return copy;
}

// Taking a Text out of the registry: the reader hands back a heap string.
bool ReadClassesRootText(RegistryReader& reader, const char* subkey, Text& value) {
    char* read = nullptr;
    if (!reader.ReadText(read, HKEY_CLASSES_ROOT, subkey, "")) return false;
    value = read;
    delete[] read;
    return true;
}

// One run opens at most one page: the first to ask, the worker after a post or
// the form's thread when the form closes, takes the only turn. So the two
// never look up at once, and no lock is held while a lookup failure is shown,
// which the form's thread could otherwise wait on.
std::atomic<bool> pageTaken{false};

}  // namespace

bool FindBrowser(char*& out) {
    RegistryReader reader;
    Text command;
    Text fileClass;
    bool found = ReadClassesRootText(reader, ".htm", fileClass);
    if (found) {
        if (fileClass.CharAt(fileClass.Length() - 1) == '\\') fileClass = fileClass.Left(fileClass.Length() - 1);
        fileClass.Append("\\shell\\open\\command");
        found = ReadClassesRootText(reader, fileClass.Data(), command);
    }
    if (!found) {
        ShowError(reader.Message());
        return false;
    }
    delete[] out;
    out = HeapCopy(ProgramPathFromCommand(command));
    return true;
}

bool LaunchBrowser(const char* programPath, const char* pageUrl) {
    // Named on purpose, though it is the default: the browser opens on the interactive desktop.
    char desktop[] = "WinSta0\\Default";
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    startup.lpDesktop = IsNotNtPlatform() ? nullptr : desktop;
    // dwFlags 0: the browser opens its window as it would when started from the
    // shell (Windows reads wShowWindow only with STARTF_USESHOWWINDOW).

    // A blank first, so that the address is the first argument after the program name.
    const Text arguments = Text(" ") + pageUrl;
    char* commandLine = HeapCopy(arguments);  // CreateProcessA may write to it
    PROCESS_INFORMATION process = {};
    const bool started = CreateProcessA(programPath, commandLine, nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                                        &startup, &process) != FALSE;
    delete[] commandLine;
    if (!started) return false;
    CloseHandle(process.hProcess);  // the program never waits for the browser
    CloseHandle(process.hThread);
    return true;
}

bool OpenPage(const char* pageUrl) {
    if (pageTaken.exchange(true)) return false;
    return FindBrowser(browserPath) && LaunchBrowser(browserPath, pageUrl);
}
