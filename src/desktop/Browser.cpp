#include "desktop/Browser.h"

#include <windows.h>

#include <string.h>

#include <atomic>

#include "core/Text.h"
#include "desktop/ErrorBox.h"
#include "desktop/Platform.h"
#include "desktop/RegistryReader.h"
#include "desktop/SystemLibrary.h"
#include "rules/BrowserCommand.h"

char* browserPath = nullptr;

namespace {

char* HeapCopy(const Text& text) {
    char* copy = new char[static_cast<size_t>(text.Length()) + 1];
    memcpy(copy, text.Data(), static_cast<size_t>(text.Length()) + 1);
    return copy;
}

// Taking a Text out of the registry: the reader hands back a heap string.
bool ReadText(RegistryReader& reader, HKEY root, const char* subkey, const char* valueName, Text& value,
              bool expand = false) {
    char* read = nullptr;
    if (!reader.ReadText(read, root, subkey, valueName, expand)) return false;
    value = read;
    delete[] read;
    return true;
}

bool KeyExists(const char* subkey) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_CLASSES_ROOT, subkey, 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
    RegCloseKey(key);
    return true;
}

// The class the person chose as their browser (from Windows 8 on the choice is
// kept per user, and .htm's class stays the built-in browser's): for the page's
// scheme, else for .htm; a choice that names no class counts as none. Windows
// also checks a Hash beside each choice, which the program cannot.
bool ChosenClass(const char* pageUrl, Text& fileClass) {
    const Text url(pageUrl);
    const Text choices[] = {
        Text("Software\\Microsoft\\Windows\\Shell\\Associations\\UrlAssociations\\") + url.Left(url.Find("://")) +
            "\\UserChoice",
        Text("Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\FileExts\\.htm\\UserChoice")};
    for (const Text& choice : choices) {
        RegistryReader reader;
        if (ReadText(reader, HKEY_CURRENT_USER, choice.Data(), "ProgId", fileClass) && !fileClass.IsEmpty() &&
            KeyExists(fileClass.Data())) {
            return true;
        }
    }
    return false;
}

// A class that exists without an open command: DDE only, or a packaged browser,
// whose command key holds only a DelegateExecute value.
bool HasNoCommand(const Text& fileClass, const Text& commandKey) {
    if (!KeyExists(fileClass.Data())) return false;
    HKEY key = nullptr;
    LONG result = RegOpenKeyExA(HKEY_CLASSES_ROOT, commandKey.Data(), 0, KEY_READ, &key);
    if (result == ERROR_SUCCESS) {
        result = RegQueryValueExA(key, "", nullptr, nullptr, nullptr, nullptr);
        RegCloseKey(key);
    }
    return result == ERROR_FILE_NOT_FOUND;
}

bool IsExistingFile(const char* path) {
    const DWORD attributes = GetFileAttributesA(path);
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// The shell opens the page as Windows decides, for a browser without a command
// of its own; COM first, which the shell's handlers may need. Done before it
// returns (the program may end right after), and silent when it fails.
bool OpenWithShell(const char* pageUrl) {
    const HMODULE shell = LoadSystemLibrary("shell32.dll");
    const HMODULE com = LoadSystemLibrary("ole32.dll");
    decltype(&::ShellExecuteExA) shellExecute = nullptr;
    decltype(&::CoInitializeEx) initialize = nullptr;
    decltype(&::CoUninitialize) uninitialize = nullptr;
    if (!shell || !RESOLVE(shell, ShellExecuteExA, shellExecute)) return false;
    const bool initialized = com && RESOLVE(com, CoInitializeEx, initialize) &&
                             RESOLVE(com, CoUninitialize, uninitialize) &&
                             SUCCEEDED(initialize(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE));
    SHELLEXECUTEINFOA open = {};
    open.cbSize = sizeof open;
    open.fMask = SEE_MASK_NOASYNC | SEE_MASK_FLAG_NO_UI;
    open.lpVerb = "open";
    open.lpFile = pageUrl;
    open.nShow = SW_SHOWNORMAL;
    const bool opened = shellExecute(&open) != FALSE;
    if (initialized) uninitialize();
    return opened;
}

// One run opens at most one page: the first to ask, the worker after a post or
// the form's thread when the form closes, takes the only turn. So the two
// never look up at once, and no lock is held while a lookup failure is shown,
// which the form's thread could otherwise wait on.
std::atomic<bool> pageTaken{false};

}  // namespace

bool FindBrowser(char*& out, const char* pageUrl) {
    RegistryReader reader;
    Text fileClass;
    if (!ChosenClass(pageUrl, fileClass) && !ReadText(reader, HKEY_CLASSES_ROOT, ".htm", "", fileClass)) {
        ShowError(reader.Message());
        return false;
    }
    if (fileClass.CharAt(fileClass.Length() - 1) == '\\') fileClass = fileClass.Left(fileClass.Length() - 1);
    const Text commandKey = fileClass + "\\shell\\open\\command";
    Text command;
    if (!ReadText(reader, HKEY_CLASSES_ROOT, commandKey.Data(), "", command, true)) {
        if (!HasNoCommand(fileClass, commandKey)) {
            ShowError(reader.Message());
            return false;
        }
        delete[] out;
        out = nullptr;
        return true;
    }
    delete[] out;
    out = HeapCopy(ResolveProgramPath(command, IsExistingFile));
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

    // A blank first, so that the address is the first argument after the program
    // name; a copy of the program's own, which CreateProcessA may write to.
    char* commandLine = HeapCopy(Text(" ") + pageUrl);
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
    if (pageTaken.exchange(true) || !FindBrowser(browserPath, pageUrl)) return false;
    // A browser that will not start (uninstalled, its class left behind; moved) is
    // the shell's to replace, as Windows itself would.
    if (browserPath && LaunchBrowser(browserPath, pageUrl)) return true;
    return OpenWithShell(pageUrl);
}
