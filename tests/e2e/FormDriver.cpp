// Drives the real DownloadRequest.exe the way a person would: finds the form by
// its caption, types, clicks, presses keys, reads and answers message boxes.
// Each scenario is a list of steps and stands alone: one run of the program,
// which must have ended when the steps are over. The driver registers a
// recording browser for .htm files and a cache folder of its own in the test
// prefix, and plays the vendor's service on loopback.
//
//   form_driver.exe PROGRAM OUTPUT_FOLDER                 the scenarios against a scripted service
//   form_driver.exe PROGRAM OUTPUT_FOLDER --real-service [NAME]  one submission to a service already running;
//                                                  NAME: the full name typed, as hex digits of its UTF-8
//   form_driver.exe PROGRAM OUTPUT_FOLDER --refusing-program [MESSAGE]  the same, but the program must not
//                                                  get through (a certificate, a proxy): a message that begins
//                                                  so (hex digits of its UTF-8; default: the sending error)
//                                                  and names a cause, which the driver prints; no page
// With DR_SIGN_IN set ("user:password;cancel;..."), each submission answers that many
// sign-in dialogs of a proxy in turn, each found by its password field.
//   form_driver.exe PROGRAM OUTPUT_FOLDER --walk-through  the same, slowly, with a screenshot of each step
//   form_driver.exe PROGRAM OUTPUT_FOLDER --one-submission  one accepted submission; prints its peak memory
//   form_driver.exe PROGRAM OUTPUT_FOLDER --screen-scale  the form at the screen's DPI, with a screenshot
#include <winsock2.h>
#include <windows.h>

#include <oleacc.h>
#include <psapi.h>
#include <tlhelp32.h>

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <atomic>
#include <fstream>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "config/VendorUrls.h"
#include "resource.h"
#include "support/BesideThisProgram.h"
#include "support/ScriptedServer.h"
#include "support/Screenshot.h"
#include "support/TestRegistry.h"
#include "support/WindowProbe.h"

namespace {

const char kCaption[] = "Download Request Form";
const char kAdvice[] = " Please Check your Network Settings and Try Again.";
const DWORD kQuietMs = 400;  // how long an absence must last to count

class Run;

// One thing a person does or checks; each step holds what it needs.
using Step = std::function<void(Run&)>;

// How the scripted service answers, one reply per connection; none: nothing listens.
using Service = std::vector<Reply>;

// How the person's Windows names its browsers. All but the last two are a stock
// Windows 10 or 11 whose owner chose another browser than the built-in one:
// .htm's class and the http and https commands still start the "legacy"
// browser, and the choice for http, https and .htm (with a Hash beside it)
// names a class of the "chosen" one, whose command is
enum class Desktop {
    Chosen,            // its quoted path and its own arguments
    ExpandedCommand,   // stored as REG_EXPAND_SZ, the path from an environment variable
    UnquotedPath,      // an unquoted path with blanks in it
    NoCommand,         // only DelegateExecute: a packaged browser, which the shell starts (under Wine: http's command)
    MovedProgram,      // a path where the browser is no more: the shell opens the page (as above)
    NoChoice,          // no choice made: .htm's class decides, as on Windows before 8
    NoBrowser,         // no choice, and .htm names a class that is not there
};

struct Scenario {
    const char* name;
    std::vector<Step> steps;
    Service service;
    bool serviceAlreadyRunning = false;  // a real one, started by whoever runs the driver
    Desktop desktop = Desktop::Chosen;
    bool behindProxy = false;  // Internet Options name the scripted service as the proxy too
};

std::wstring Wide(const char* utf8) {
    std::wstring wide(strlen(utf8) + 1, L'\0');
    wide.resize(static_cast<size_t>(MultiByteToWideChar(CP_UTF8, 0, utf8, -1, &wide[0], static_cast<int>(wide.size()))));
    return wide;
}

std::vector<std::string> Lines(const std::string& path) {
    std::vector<std::string> lines;
    std::ifstream in(path);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

// Whether `condition` holds throughout `ms` milliseconds.
template <class Condition>
bool HoldsFor(Condition condition, DWORD ms) {
    return !WaitUntil([&] { return !condition(); }, ms);
}

// Samples a process's private bytes until it ends: the first sample and the peak.
class MemoryWatch {
public:
    explicit MemoryWatch(HANDLE process) : sampler([this, process] {
        while (!stop) {
            PROCESS_MEMORY_COUNTERS_EX counters = {};
            counters.cb = sizeof counters;
            if (GetProcessMemoryInfo(process, reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters), sizeof counters)) {
                const SIZE_T seen = counters.PrivateUsage > counters.PeakPagefileUsage ? counters.PrivateUsage
                                                                                       : counters.PeakPagefileUsage;
                if (seen > peak) peak = seen;
            }
            if (WaitForSingleObject(process, 5) == WAIT_OBJECT_0) break;
        }
    }) {}
    ~MemoryWatch() { Stop(); }
    MemoryWatch(const MemoryWatch&) = delete;
    MemoryWatch& operator=(const MemoryWatch&) = delete;
    SIZE_T Peak() {
        Stop();
        return peak;
    }

private:
    void Stop() {
        stop = true;
        if (sampler.joinable()) sampler.join();
    }
    std::atomic<bool> stop{false};
    std::atomic<SIZE_T> peak{0};
    std::thread sampler;
};

const char* const kChoices[] = {
    "Software\\Microsoft\\Windows\\Shell\\Associations\\UrlAssociations\\http\\UserChoice",
    "Software\\Microsoft\\Windows\\Shell\\Associations\\UrlAssociations\\https\\UserChoice",
    "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\FileExts\\.htm\\UserChoice"};

std::string Quoted(const std::string& path) { return "\"" + path + "\""; }

// The registry and environment the program meets: recording browsers, "legacy"
// and "chosen" (copies of fake_browser.exe), and the per-user cache folder.
void PrepareDesktop(const std::string& output) {
    const std::string browsers = output + "\\browsers", spaced = output + "\\Web Browsers";
    for (const std::string& folder : {browsers, spaced}) CreateDirectoryA(folder.c_str(), nullptr);
    for (const std::string& copy : {browsers + "\\legacy.exe", browsers + "\\chosen.exe", spaced + "\\chosen.exe"}) {
        CopyFileA(BesideThisProgram("fake_browser.exe").c_str(), copy.c_str(), FALSE);
    }
    SetEnvironmentVariableA("DR_TEST_BROWSERS", browsers.c_str());
    const std::string legacy = Quoted(browsers + "\\legacy.exe") + " \"%1\"";
    for (const char* fileClass : {"DownloadRequestTests.legacy", "http", "https"}) {
        SetRegistryValue(HKEY_CLASSES_ROOT, (std::string(fileClass) + "\\shell\\open\\command").c_str(), "", REG_SZ,
                         legacy + '\0');
    }
    const std::string chosen = " --single-argument \"%1\"" + std::string(1, '\0');
    SetRegistryValue(HKEY_CLASSES_ROOT, "DownloadRequestTests.chosen\\shell\\open\\command", "", REG_SZ,
                     Quoted(browsers + "\\chosen.exe") + chosen);
    SetRegistryValue(HKEY_CLASSES_ROOT, "DownloadRequestTests.expanded\\shell\\open\\command", "", REG_EXPAND_SZ,
                     "\"%DR_TEST_BROWSERS%\\chosen.exe\"" + chosen);
    SetRegistryValue(HKEY_CLASSES_ROOT, "DownloadRequestTests.unquoted\\shell\\open\\command", "", REG_SZ,
                     spaced + "\\chosen.exe" + chosen);
    SetRegistryValue(HKEY_CLASSES_ROOT, "DownloadRequestTests.moved\\shell\\open\\command", "", REG_SZ,
                     Quoted(browsers + "\\moved\\chosen.exe") + chosen);
    SetRegistryValue(HKEY_CLASSES_ROOT, "DownloadRequestTests.packaged\\shell\\open\\command", "DelegateExecute",
                     REG_SZ, std::string("{00000000-0000-0000-0000-000000000000}") + '\0');
    const std::string cache = output + "\\cache";
    CreateDirectoryA(cache.c_str(), nullptr);
    // The shell rewrites "Shell Folders" from "User Shell Folders" whenever it is
    // asked for a folder (WinInet asks for its cache), so both are set.
    for (const char* key : {"Shell Folders", "User Shell Folders"}) {
        SetRegistryValue(HKEY_CURRENT_USER,
                         (std::string("Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\") + key).c_str(),
                         "Cache", REG_SZ, cache + '\0');
    }
    SetEnvironmentVariableA("DR_BROWSER_LOG", (output + "\\browser.log").c_str());
}

// The browsers as the scenario's Windows names them; returns the one that must start.
std::string SetDesktop(Desktop desktop) {
    SetRegistryValue(HKEY_CLASSES_ROOT, ".htm", "", REG_SZ,
                     std::string(desktop == Desktop::NoBrowser ? "DownloadRequestTests.missing" : "DownloadRequestTests.legacy") +
                         '\0');
    const char* choice = desktop == Desktop::Chosen            ? "DownloadRequestTests.chosen"
                         : desktop == Desktop::ExpandedCommand ? "DownloadRequestTests.expanded"
                         : desktop == Desktop::UnquotedPath    ? "DownloadRequestTests.unquoted"
                         : desktop == Desktop::NoCommand       ? "DownloadRequestTests.packaged"
                         : desktop == Desktop::MovedProgram    ? "DownloadRequestTests.moved"
                                                               : nullptr;
    for (const char* key : kChoices) {
        RegDeleteKeyA(HKEY_CURRENT_USER, key);
        if (!choice) continue;
        // The choice for .htm names the legacy browser: the scheme's own choice comes first.
        const char* named = key == kChoices[2] ? "DownloadRequestTests.legacy" : choice;
        SetRegistryValue(HKEY_CURRENT_USER, key, "ProgId", REG_SZ, std::string(named) + '\0');
        SetRegistryValue(HKEY_CURRENT_USER, key, "Hash", REG_SZ, std::string("uX3s9dGv0aQ=") + '\0');
    }
    const bool shellOpens = desktop == Desktop::NoCommand || desktop == Desktop::MovedProgram;
    return choice && !shellOpens ? "chosen.exe" : "legacy.exe";
}

// The person's Internet Options name a proxy for the run: the scripted service,
// which then plays it too (Wine bypasses no loopback address of its own accord).
class ProxyInOptions {
public:
    explicit ProxyInOptions(bool named) : named(named) {
        if (!named) return;
        const DWORD enabled = 1;
        SetRegistryValue(HKEY_CURRENT_USER, kInternetSettings, "ProxyEnable", REG_DWORD,
                         std::string(reinterpret_cast<const char*>(&enabled), sizeof enabled));
        SetRegistryValue(HKEY_CURRENT_USER, kInternetSettings, "ProxyServer", REG_SZ,
                         "127.0.0.1:" + std::to_string(TEST_CRM_PORT) + '\0');
    }
    ~ProxyInOptions() {
        HKEY key = nullptr;
        if (!named || RegOpenKeyExA(HKEY_CURRENT_USER, kInternetSettings, 0, KEY_WRITE, &key) != ERROR_SUCCESS) return;
        RegDeleteValueA(key, "ProxyEnable");
        RegDeleteValueA(key, "ProxyServer");
        RegCloseKey(key);
    }
    ProxyInOptions(const ProxyInOptions&) = delete;
    ProxyInOptions& operator=(const ProxyInOptions&) = delete;

private:
    static constexpr const char* kInternetSettings = "Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings";
    bool named;
};

// One run of the program through one scenario, and what the steps need of it.
class Run {
public:
    Run(std::string program, std::string output) : program(std::move(program)), output(std::move(output)) {
        DeleteFileA(BrowserLog().c_str());
        DeleteFileA(ScratchPath().c_str());
    }

    bool Play(const Scenario& scenario) {
        if (!scenario.service.empty()) {
            server = std::make_unique<ScriptedServer>(TEST_CRM_PORT);
            if (!server->Listening()) return Fail("the service could not listen on port " + std::to_string(TEST_CRM_PORT));
            server->Script(scenario.service);
        }
        browser = SetDesktop(scenario.desktop);
        const ProxyInOptions proxy(scenario.behindProxy);
        if (!Start()) return Fail("the program did not start");
        memory = std::make_unique<MemoryWatch>(process.hProcess);
        form = WaitForDialog(process.dwProcessId, kCaption, 15000);
        if (!form) Fail("the form did not appear");
        formShownBytes = PrivateBytes();
        for (size_t i = 0; failure.empty() && i < scenario.steps.size(); ++i) scenario.steps[i](*this);
        if (HWND box = FindDialog(process.dwProcessId, "Error")) {
            failure += " (a message box said \"" + MessageBoxText(box) + "\")";
        }
        if (!Ended()) {
            Fail("the program was still running at the end");
            TerminateProcess(process.hProcess, 1);
            WaitForSingleObject(process.hProcess, 5000);
        }
        memory.reset();
        CloseHandle(process.hProcess);
        CloseHandle(process.hThread);
        return failure.empty();
    }

    const std::string& Failure() const { return failure; }

    bool Fail(const std::string& why) {
        if (failure.empty()) failure = why;
        return false;
    }

    HWND Form() const { return form; }
    HWND Control(int id) const { return GetDlgItem(form, id); }
    DWORD ProcessId() const { return process.dwProcessId; }
    bool Ended() const { return WaitForSingleObject(process.hProcess, 0) == WAIT_OBJECT_0; }
    bool EndsWithin(DWORD ms) const { return WaitForSingleObject(process.hProcess, ms) == WAIT_OBJECT_0; }

    HWND Focused() const {
        GUITHREADINFO info = {};
        info.cbSize = sizeof info;
        GetGUIThreadInfo(process.dwThreadId, &info);
        return info.hwndFocus;
    }

    // The first argument of every start of a recording browser, ";" between them.
    std::string Pages() const {
        std::string pages;
        for (const std::string& line : Lines(BrowserLog())) {
            if (!pages.empty()) pages += ";";
            pages += line.substr(0, line.find('|'));
        }
        return pages;
    }

    // The recording browser that started and is not the one the scenario's Windows names, if any.
    std::string WrongBrowser() const {
        for (const std::string& line : Lines(BrowserLog())) {
            const std::string name = line.substr(line.rfind('|') + 1);
            if (_stricmp(name.c_str(), browser.c_str()) != 0) return name;
        }
        return "";
    }

    // A browser the program started that is still running: its page may not be recorded yet.
    bool BrowserRunning() const {
        HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
        PROCESSENTRY32 entry = {};
        entry.dwSize = sizeof entry;
        bool running = false;
        for (BOOL more = Process32First(snapshot, &entry); more && !running; more = Process32Next(snapshot, &entry)) {
            running = entry.th32ParentProcessID == process.dwProcessId &&
                      (_stricmp(entry.szExeFile, "chosen.exe") == 0 || _stricmp(entry.szExeFile, "legacy.exe") == 0);
        }
        CloseHandle(snapshot);
        return running;
    }

    std::string ScratchPath() const { return output + "\\cache\\my_download_temp.htm"; }
    std::string OutputFile(const std::string& name) const { return output + "\\" + name; }
    std::vector<std::string> Requests() const { return server ? server->Requests() : std::vector<std::string>(); }

    // The program's private bytes when its form appeared, and at their peak (once it has ended).
    SIZE_T FormShownBytes() const { return formShownBytes; }
    SIZE_T PeakBytes() { return memory ? memory->Peak() : 0; }

    // Every window of the program paints what it has to, and its thread is back in its loop.
    void PaintNow() const { EnumWindows(PaintIfOfProcess, static_cast<LPARAM>(process.dwProcessId)); }

private:
    std::string BrowserLog() const { return output + "\\browser.log"; }

    bool Start() {
        STARTUPINFOA startup = {};
        startup.cb = sizeof startup;
        std::string commandLine = "\"" + program + "\"";
        return CreateProcessA(program.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                              &startup, &process) != FALSE;
    }

    // The commit charge: private bytes (Wine counts them there, not in PrivateUsage).
    SIZE_T PrivateBytes() const {
        PROCESS_MEMORY_COUNTERS counters = {};
        counters.cb = sizeof counters;
        GetProcessMemoryInfo(process.hProcess, &counters, sizeof counters);
        return counters.PagefileUsage;
    }

    static BOOL CALLBACK PaintIfOfProcess(HWND window, LPARAM pid) {
        DWORD owner = 0;
        GetWindowThreadProcessId(window, &owner);
        if (owner == static_cast<DWORD>(pid) && IsWindowVisible(window)) {
            RedrawWindow(window, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
            SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 2000, nullptr);
        }
        return TRUE;
    }

    std::string program, output, failure;
    std::string browser;  // the one the scenario's Windows names for the pages
    std::unique_ptr<ScriptedServer> server;
    std::unique_ptr<MemoryWatch> memory;
    SIZE_T formShownBytes = 0;
    PROCESS_INFORMATION process = {};
    HWND form = nullptr;
};

std::string Id(int control) { return "control " + std::to_string(control); }

// --- What a person does.

// Text into an input as another program puts it there (UTF-8 here; the form gets it whole).
Step Type(int control, std::string utf8) {
    return [=](Run& run) {
        SendMessageTimeoutW(run.Control(control), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(Wide(utf8.c_str()).c_str()),
                            SMTO_ABORTIFHUNG, 5000, nullptr);
    };
}

Step Click(int control) {
    return [=](Run& run) { PostMessageA(run.Control(control), BM_CLICK, 0, 0); };
}

// A key pressed where the focus is (on the form when no control has it).
Step Key(int virtualKey) {
    return [=](Run& run) {
        HWND target = run.Focused() ? run.Focused() : run.Form();
        PostMessageA(target, WM_KEYDOWN, static_cast<WPARAM>(virtualKey), 1);
        PostMessageA(target, WM_KEYUP, static_cast<WPARAM>(virtualKey), 0xC0000001);
    };
}

Step CloseBox() {
    return [](Run& run) { PostMessageA(run.Form(), WM_SYSCOMMAND, SC_CLOSE, 0); };
}

// A control's click (IDOK: Enter), which the form must handle at once.
Step CommandNow(int control) {
    return [=](Run& run) {
        DWORD_PTR result = 0;
        if (!SendMessageTimeoutA(run.Form(), WM_COMMAND, MAKEWPARAM(control, BN_CLICKED),
                                 reinterpret_cast<LPARAM>(run.Control(control)), SMTO_NORMAL, 3000, &result))
            run.Fail("the form did not handle command " + std::to_string(control) + " at once");
    };
}

// The form's area of the screen (or all of it) as a PNG file of this name (run-e2e converts the BMP).
enum class Area { Form, Screen };
Step Screenshot(std::string name, Area area = Area::Form) {
    return [=](Run& run) {
        run.PaintNow();
        RECT frame = {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
        if (area == Area::Form) GetWindowRect(run.Form(), &frame);
        if (!SaveScreenshot(frame, run.OutputFile(name + ".bmp"))) run.Fail("screenshot " + name + " not written");
    };
}

// --- Message boxes.

Step WaitForError() {
    return [](Run& run) {
        if (!WaitForDialog(run.ProcessId(), "Error", 15000)) run.Fail("no message box appeared");
    };
}

// A message box "Error" saying this text (or, with Match::Ending, ending so; with
// Match::Cause, the described message, a cause and the advice), answered with OK.
enum class Match { Whole, Ending, Cause };
Step ExpectError(std::string wanted, Match match = Match::Whole, DWORD withinMs = 15000) {
    return [=](Run& run) {
        HWND box = WaitForDialog(run.ProcessId(), "Error", withinMs);
        if (!box) {
            run.Fail("no message box for \"" + wanted + "\"");
            return;
        }
        const std::string text = MessageBoxText(box);
        printf("  message: %s\n", text.c_str());
        const auto ends = [&](const std::string& end) {
            return text.size() > end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
        };
        const bool matches = match == Match::Whole    ? text == wanted
                             : match == Match::Ending ? ends(wanted)
                                                      : text.compare(0, wanted.size(), wanted) == 0 &&
                                                            text.size() > wanted.size() + strlen(kAdvice) + 2 &&
                                                            ends(kAdvice);
        if (!matches) run.Fail("message box said \"" + text + "\", expected \"" + wanted + "\"");
        DismissMessageBox(box);
        WaitUntil([&] { return !IsWindow(box) || !IsWindowVisible(box); }, 5000);
    };
}

// No message box "Error" shows, for a while.
Step ExpectNoError() {
    return [](Run& run) {
        if (!HoldsFor([&] { return FindDialog(run.ProcessId(), "Error") == nullptr; }, kQuietMs)) {
            HWND box = FindDialog(run.ProcessId(), "Error");
            run.Fail("a message box said \"" + (box ? MessageBoxText(box) : std::string()) + "\"");
        }
    };
}

// --- A proxy's sign-in.

// The system's sign-in dialog of a process, found by its password field (its
// title is Windows' or Wine's own).
struct SignInSearch {
    DWORD pid;
    HWND dialog;
};
BOOL CALLBACK FindSignIn(HWND window, LPARAM context) {
    auto& search = *reinterpret_cast<SignInSearch*>(context);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    for (HWND child = GetWindow(window, GW_CHILD); child && IsWindowVisible(window); child = GetWindow(child, GW_HWNDNEXT)) {
        if (owner == search.pid && GetWindowLongA(child, GWL_STYLE) & ES_PASSWORD) search.dialog = window;
    }
    return TRUE;
}

// Answers the sign-in dialog: "user:password" signs in (the password into the
// password field, the user into the field before it), "cancel" cancels.
Step AnswerSignIn(std::string answer) {
    return [=](Run& run) {
        SignInSearch search = {run.ProcessId(), nullptr};
        if (!WaitUntil([&] { return EnumWindows(FindSignIn, reinterpret_cast<LPARAM>(&search)) && search.dialog; }, 15000)) {
            run.Fail("no sign-in dialog for \"" + answer + "\"");
            return;
        }
        HWND dialog = search.dialog;
        const size_t colon = answer.find(':');
        HWND user = nullptr;
        for (HWND child = GetWindow(dialog, GW_CHILD); child && colon != std::string::npos; child = GetWindow(child, GW_HWNDNEXT)) {
            char kind[16] = {};
            GetClassNameA(child, kind, sizeof kind);
            if (_stricmp(kind, "Edit") != 0) continue;
            const bool password = GetWindowLongA(child, GWL_STYLE) & ES_PASSWORD;
            if (!password && !user) user = child;
            const std::string text = password ? answer.substr(colon + 1) : answer.substr(0, colon);
            SendMessageTimeoutA(child, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()), SMTO_ABORTIFHUNG, 5000,
                                nullptr);
        }
        PostMessageA(dialog, WM_COMMAND, colon == std::string::npos ? IDCANCEL : IDOK, 0);
        if (!WaitUntil([&] { return !IsWindow(dialog) || !IsWindowVisible(dialog); }, 5000)) run.Fail("the sign-in dialog stayed");
    };
}

// The answers DR_SIGN_IN gives, one a dialog.
std::vector<Step> SignIns() {
    std::vector<Step> steps;
    const char* answers = getenv("DR_SIGN_IN");
    for (std::string rest = answers ? answers : ""; !rest.empty();) {
        const size_t end = rest.find(';');
        steps.push_back(AnswerSignIn(rest.substr(0, end)));
        rest = end == std::string::npos ? "" : rest.substr(end + 1);
    }
    return steps;
}

// --- The form.

Step ExpectFocus(int control) {
    return [=](Run& run) {
        // Focus settles asynchronously under Wine after a message box closes.
        if (!WaitUntil([&] { return run.Focused() == run.Control(control); }, 3000)) run.Fail(Id(control) + " never had the focus");
    };
}

// No control of the form holds the focus, for a while.
Step ExpectNoFocus() {
    return [](Run& run) {
        if (!HoldsFor([&] { return !run.Focused() || !IsChild(run.Form(), run.Focused()); }, kQuietMs))
            run.Fail("a control held the focus");
    };
}

// The form's top-left corner in screen pixels.
Step ExpectPosition(int left, int top) {
    return [=](Run& run) {
        RECT frame = {};
        GetWindowRect(run.Form(), &frame);
        if (frame.left != left || frame.top != top)
            run.Fail("form at " + std::to_string(frame.left) + "," + std::to_string(frame.top));
    };
}

Step ExpectVisible(int control) {
    return [=](Run& run) {
        if (!WaitUntil([&] { return IsWindowVisible(run.Control(control)) != FALSE; }, 5000)) run.Fail(Id(control) + " never showed");
    };
}

Step ExpectDisabled(int control) {
    return [=](Run& run) {
        if (!WaitUntil([&] { return IsWindowEnabled(run.Control(control)) == FALSE; }, 5000))
            run.Fail(Id(control) + " stayed enabled");
    };
}

// The name oleacc gives a control, as a screen reader asks for it.
std::string AccessibleName(HWND control) {
    IAccessible* accessible = nullptr;
    const HRESULT found = AccessibleObjectFromWindow(control, static_cast<DWORD>(OBJID_CLIENT), __uuidof(IAccessible),
                                                     reinterpret_cast<void**>(&accessible));
    if (FAILED(found)) return "(no accessible object: " + std::to_string(found) + ")";
    VARIANT self;
    VariantInit(&self);
    self.vt = VT_I4;
    self.lVal = CHILDID_SELF;
    BSTR name = nullptr;
    std::string text = "(no name)";
    if (accessible->get_accName(self, &name) == S_OK && name) {
        char utf8[512] = {};
        WideCharToMultiByte(CP_UTF8, 0, name, -1, utf8, sizeof utf8 - 1, nullptr, nullptr);
        text = utf8;
    }
    SysFreeString(name);
    accessible->Release();
    return text;
}

Step ExpectAccessibleName(int control, std::string wanted) {
    return [=](Run& run) {
        const std::string name = AccessibleName(run.Control(control));
        if (name != wanted) run.Fail(Id(control) + " is named \"" + name + "\"");
    };
}

// The form's font as the dialog manager makes it from the template: "MS Shell Dlg"
// at 8 points. (A font handle is the program's own under Wine: the driver makes its twin.)
HFONT TemplateFont() {
    HDC screen = GetDC(nullptr);
    const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    return CreateFontW(-MulDiv(8, dpi, 72), 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET, 0, 0,
                       PROOF_QUALITY, FF_DONTCARE, L"MS Shell Dlg");
}

// Every text of the form shows whole: measured with the form's font, it fits its
// control (a label's words wrap within its width and height). That font is the one
// the form is laid out in: the form's width is its 366 dialog units in it.
Step ExpectTextsFit() {
    return [](Run& run) {
        HDC dc = GetDC(run.Form());
        const HFONT font = TemplateFont();
        const HGDIOBJ old = SelectObject(dc, font);
        SIZE letters = {};  // the dialog's horizontal base unit, as Windows averages it
        GetTextExtentPoint32W(dc, L"abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ", 52, &letters);
        RECT form = {};
        GetClientRect(run.Form(), &form);
        if (abs(form.right - MulDiv(366, (letters.cx / 26 + 1) / 2, 4)) > 1) {
            run.Fail("the form is " + std::to_string(form.right) + " pixels wide: not laid out in its template's font");
        }
        for (HWND control = GetWindow(run.Form(), GW_CHILD); control; control = GetWindow(control, GW_HWNDNEXT)) {
            wchar_t text[256] = {}, kind[16] = {};
            GetWindowTextW(control, text, 256);
            GetClassNameW(control, kind, 16);
            const LONG style = GetWindowLongW(control, GWL_STYLE);
            const bool label = _wcsicmp(kind, L"Static") == 0 && (style & SS_TYPEMASK) <= SS_RIGHT;
            const bool button = _wcsicmp(kind, L"Button") == 0 && (style & BS_TYPEMASK) == BS_PUSHBUTTON;
            if (!*text || !(label || button) || !IsWindowVisible(control)) continue;
            RECT client = {}, needed = {};
            GetClientRect(control, &client);
            needed.right = client.right - (button ? 2 * GetSystemMetrics(SM_CXEDGE) : 0);
            DrawTextW(dc, text, -1, &needed, DT_CALCRECT | (label ? DT_WORDBREAK : DT_SINGLELINE));
            if (needed.right > client.right || needed.bottom > client.bottom) {
                char name[512] = {};
                WideCharToMultiByte(CP_UTF8, 0, text, -1, name, sizeof name - 1, nullptr, nullptr);
                run.Fail(std::string("\"") + name + "\" needs " + std::to_string(needed.right) + "x" +
                         std::to_string(needed.bottom) + " pixels, its control has " + std::to_string(client.right) +
                         "x" + std::to_string(client.bottom));
            }
        }
        SelectObject(dc, old);
        DeleteObject(font);
        ReleaseDC(run.Form(), dc);
    };
}

// The picture is drawn for 96 DPI at 99 by 88 pixels: it grows with the screen's
// scale, and stays where the layout puts it, inside the form.
Step ExpectPictureAtScale() {
    return [](Run& run) {
        HWND picture = nullptr;
        for (HWND child = GetWindow(run.Form(), GW_CHILD); child && !picture; child = GetWindow(child, GW_HWNDNEXT)) {
            if ((GetWindowLongA(child, GWL_STYLE) & SS_TYPEMASK) == SS_BITMAP) picture = child;
        }
        HDC screen = GetDC(nullptr);
        const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
        ReleaseDC(nullptr, screen);
        RECT size = {}, client = {}, place = {};
        GetClientRect(picture, &size);
        GetClientRect(run.Form(), &client);
        GetWindowRect(picture, &place);
        MapWindowPoints(nullptr, run.Form(), reinterpret_cast<POINT*>(&place), 2);
        printf("  %d DPI: picture %ldx%ld at %ld,%ld in a %ldx%ld form\n", dpi, size.right, size.bottom, place.left,
               place.top, client.right, client.bottom);
        const int width = MulDiv(99, dpi, 96), height = MulDiv(88, dpi, 96);
        if (!picture || abs(size.right - width) > 1 || abs(size.bottom - height) > 1) {
            run.Fail("the picture is " + std::to_string(size.right) + "x" + std::to_string(size.bottom) + ", not " +
                     std::to_string(width) + "x" + std::to_string(height));
        } else if (place.right > client.right || place.bottom > client.bottom) {
            run.Fail("the picture reaches out of the form");
        }
    };
}

// The form lays itself out in real pixels, not stretched by the system as a bitmap.
Step ExpectDpiAware() {
    return [](Run& run) {
        if (GetAwarenessFromDpiAwarenessContext(GetWindowDpiAwarenessContext(run.Form())) == DPI_AWARENESS_UNAWARE)
            run.Fail("the form is not DPI-aware: the system stretches it");
    };
}

// --- What the program leaves behind.

Step ExpectExit(DWORD withinMs) {
    return [=](Run& run) {
        if (!run.EndsWithin(withinMs)) run.Fail("the program did not end within " + std::to_string(withinMs) + " ms");
    };
}

// The pages the browser was started on, ";" between them, each in the browser the
// scenario's Windows names; final once the program and every browser it started
// have ended.
Step ExpectPages(std::string pages) {
    return [=](Run& run) {
        if (!WaitUntil([&] { return run.Ended() && !run.BrowserRunning(); }, 10000)) {
            run.Fail("the program or a browser it started was still running");
        } else if (run.Pages() != pages) {
            run.Fail("browser pages were \"" + run.Pages() + "\", expected \"" + pages + "\"");
        } else if (!run.WrongBrowser().empty()) {
            run.Fail("the pages opened in " + run.WrongBrowser());
        }
    };
}

enum class Scratch { Absent, Present };
Step ExpectScratch(Scratch wanted) {
    return [=](Run& run) {
        auto present = [&] { return GetFileAttributesA(run.ScratchPath().c_str()) != INVALID_FILE_ATTRIBUTES; };
        if (!WaitUntil([&] { return present() == (wanted == Scratch::Present); }, 5000))
            run.Fail(wanted == Scratch::Present ? "no scratch file appeared" : "a scratch file was left behind");
    };
}

// The number of requests the service received in the run, counted once the
// program has ended and can send no more; `body`: the first one's body, if given.
Step ExpectPosts(size_t count, std::string body = std::string()) {
    return [=](Run& run) {
        if (!run.EndsWithin(10000)) {
            run.Fail("the program was still running when its requests were counted");
            return;
        }
        if (run.Requests().size() != count) {
            run.Fail("the service received " + std::to_string(run.Requests().size()) + " requests");
            return;
        }
        if (body.empty() || count == 0) return;
        const std::string request = run.Requests()[0];
        const std::string received = request.substr(request.find("\r\n\r\n") + 4);
        if (received != body) run.Fail("the service received the body \"" + received + "\"");
    };
}

// The form went to the proxy signed in with Basic: these credentials (Base64) came with it.
Step ExpectSignedPost(std::string credentials) {
    return [=](Run& run) {
        for (const std::string& request : run.Requests()) {
            if (request.compare(0, 5, "POST ") == 0 &&
                request.find("\r\nProxy-Authorization: Basic " + credentials + "\r\n") != std::string::npos) {
                return;
            }
        }
        run.Fail("no form came signed in with Basic " + credentials);
    };
}

// How much the program's private bytes grew from when its form appeared to their
// peak (once it has ended); in a run with a small answer: what running the exchange
// costs, first use of its code included (under an emulator, the emulator's own
// translations of that code, which count in the process too).
SIZE_T smallAnswerGrowth = 0;

Step MeasureSmallAnswerGrowth() {
    return [](Run& run) { smallAnswerGrowth = run.PeakBytes() - run.FormShownBytes(); };
}

// The program's private bytes grow with a large answer at most this much more than
// with a small one: the answer is never held whole.
Step ExpectPeakMemoryGrowth(SIZE_T kib) {
    return [=](Run& run) {
        const SIZE_T peak = run.PeakBytes(), shown = run.FormShownBytes();
        printf("  private bytes: %lu KiB when the form appeared, %lu KiB at the peak; %lu KiB of growth with a small "
               "answer\n",
               static_cast<unsigned long>(shown / 1024), static_cast<unsigned long>(peak / 1024),
               static_cast<unsigned long>(smallAnswerGrowth / 1024));
        if (peak == 0 || shown == 0 || smallAnswerGrowth == 0) {
            run.Fail("no memory figures");
        } else if (peak > shown + smallAnswerGrowth + kib * 1024) {
            run.Fail("private bytes grew by " + std::to_string((peak - shown - smallAnswerGrowth) / 1024) +
                     " KiB more than with a small answer");
        }
    };
}

Step PrintPeakMemory() {
    return [](Run& run) { printf("  peak private bytes: %lu KiB\n", static_cast<unsigned long>(run.PeakBytes() / 1024)); };
}

// --- The scenarios.

std::string Page(int status, const std::string& headers, const std::string& body) {
    return HttpReply(status, headers, body);
}

std::string PageWithLength(int status, const std::string& body) {
    return HttpReply(status, "Content-Length: " + std::to_string(body.size()) + "\r\n", body);
}

const char kThanks[] = "<html><body>Thank you.\nCheck your mail.</body></html>\n";
const char kSendFailed[] = "Error Sending the Information to Server.";
const char kNoAnswer[] = "Error Opening Response Page";
const char kBody[] =
    "EmailAddress=jo%40example%2ecom&EmailType=2&rootURL=http%3a%2f%2f127%2e0%2e0%2e1%2f&SelectProduct=2"
    "&HowReached=Other&FullName=Jo%20Bloggs&Phone=0123\r\n";

Service Accepts() { return {{PageWithLength(200, kThanks)}}; }

std::vector<Step> Join(std::vector<Step> first, const std::vector<Step>& then) {
    first.insert(first.end(), then.begin(), then.end());
    return first;
}

std::vector<Step> Fill(const std::string& fullName = "Jo Bloggs") {
    return {Type(IDC_EMAIL, "jo@example.com"), Type(IDC_FULL_NAME, fullName), Type(IDC_PHONE, "0123")};
}

Scenario RealService(const std::string& fullName) {
    return {"the vendor service takes the form",
            Join(Join(Fill(fullName), Join({Click(IDC_REQUEST_DOWNLOAD)}, SignIns())),
                 {ExpectExit(30000), ExpectPages(kThankYouPageUrl), ExpectScratch(Scratch::Absent)}),
            {}, true};
}

Scenario RefusingProgram(const std::string& message) {
    return {"the program does not get through",
            Join(Join(Fill(), Join({Click(IDC_REQUEST_DOWNLOAD)}, SignIns())),
                 {ExpectError(message, Match::Cause), ExpectExit(5000), ExpectPages(""), ExpectScratch(Scratch::Absent)}),
            {}, true};
}

Scenario WalkThrough() {
    return {"walk-through",
            {Screenshot("1-form", Area::Screen), Type(IDC_EMAIL, "jo.example.com"), Type(IDC_FULL_NAME, "Jo Bloggs"),
             Click(IDC_REQUEST_DOWNLOAD), WaitForError(), Screenshot("2-invalid-address", Area::Screen),
             ExpectError("Please Provide a Valid Email."), Type(IDC_EMAIL, "jo@example.com"), Type(IDC_PHONE, "0123"),
             Screenshot("3-filled-in", Area::Screen), Click(IDC_REQUEST_DOWNLOAD), ExpectVisible(IDC_WAIT_LABEL),
             Screenshot("4-sending", Area::Screen), ExpectExit(60000), ExpectPages(kThankYouPageUrl)},
            {}, true};
}

Scenario OneSubmission() {
    return {"one submission, measured",
            Join(Fill(), {Click(IDC_REQUEST_DOWNLOAD), ExpectExit(30000), ExpectPages(kThankYouPageUrl),
                          PrintPeakMemory()}),
            Accepts()};
}

Scenario ScreenScale() {
    return {"the form at the screen's scale",
            {ExpectDpiAware(), ExpectPictureAtScale(), ExpectTextsFit(), ExpectAccessibleName(IDC_EMAIL, "Email Address : * "),
             Screenshot("form"), CloseBox(), ExpectExit(5000), ExpectPages(kHomePageUrl)}};
}

// Faults of the service and the network, and what the user sees of each.
std::vector<Scenario> FaultScenarios() {
    const std::vector<Step> submit = Join(Fill(), {Click(IDC_REQUEST_DOWNLOAD)});
    const std::vector<Step> thanks = {ExpectExit(30000), ExpectPages(kThankYouPageUrl), ExpectScratch(Scratch::Absent)};
    const std::vector<Step> cancelWhileWaiting = {ExpectDisabled(IDC_REQUEST_DOWNLOAD), Click(IDC_CANCEL),
                                                  ExpectExit(5000), ExpectPages(kHomePageUrl),
                                                  ExpectScratch(Scratch::Absent)};
    return {
        {"fault: reset in the middle of the body shows the system's reason",
         Join(submit, {ExpectError(kAdvice, Match::Ending), ExpectExit(5000), ExpectPages(""),
                       ExpectScratch(Scratch::Absent)}),
         {{Page(200, "", std::string(2048, 'x')), Reply::End::Reset, true, 500}}},
        {"fault: no answer at all: the step's message once the 30 s wait is over",
         Join(submit, {ExpectError(kNoAnswer, Match::Cause, 45000), ExpectExit(5000), ExpectPages("")}),
         {{"", Reply::End::Hold}}},
        {"fault: a proxy's sign-in, Basic offered after a long Digest challenge: the form goes signed in",
         Join(submit, Join({AnswerSignIn("jo:secret")}, Join(thanks, {ExpectSignedPost("am86c2VjcmV0")}))),
         {{Page(407, "Proxy-Authenticate: Digest realm=\"staff\", qop=\"auth\", nonce=\"" + std::string(200, 'n') +
                         "\", opaque=\"" + std::string(60, 'o') + "\"\r\nProxy-Authenticate: Basic realm=\"staff\"\r\n"
                         "Content-Length: 0\r\n", "")},
          {PageWithLength(200, "")}, {PageWithLength(200, kThanks)}},
         false, Desktop::Chosen, true},
        {"fault: headers then silence, the user cancels", Join(submit, cancelWhileWaiting),
         {{Page(200, "Content-Length: 50\r\n", ""), Reply::End::Hold}}},
        {"fault: a length larger than the body still thanks", Join(submit, thanks),
         {{Page(200, "Content-Length: 5000\r\n", "short")}}},
        {"fault: a negative length still thanks", Join(submit, thanks), {{Page(200, "Content-Length: -5\r\n", kThanks)}}},
        {"fault: a huge length still thanks", Join(submit, thanks),
         {{Page(200, "Content-Length: 99999999999\r\n", kThanks)}}},
        {"fault: a length that is no number still thanks", Join(submit, thanks),
         {{Page(200, "Content-Length: twelve\r\n", kThanks)}}},
        {"fault: a redirect to a 200 page still thanks", Join(submit, Join(thanks, {ExpectPosts(2)})),
         {{Page(302, "Location: /thanks\r\nContent-Length: 0\r\n", "")}, {PageWithLength(200, kThanks)}}},
        {"an empty 200 body still thanks", Join(submit, thanks), {{PageWithLength(200, "")}}},
        {"fault: a 10 MB body thanks without the memory growing with it",
         Join(submit, Join(thanks, {ExpectPeakMemoryGrowth(3072)})),
         {{PageWithLength(200, std::string(10 * 1024 * 1024, 'x'))}}},
        {"fault: no browser; closed while its message is up, the program ends at once",
         Join(submit, {WaitForError(), CloseBox(), ExpectExit(5000), ExpectPages(""), ExpectScratch(Scratch::Absent)}),
         Accepts(), false, Desktop::NoBrowser},
    };
}

std::vector<Scenario> Scenarios() {
    std::vector<Scenario> scenarios = {
        {"an accepted form opens the thank-you page",
         Join(Fill(), {Click(IDC_REQUEST_DOWNLOAD), ExpectExit(15000), ExpectPosts(1, kBody),
                       ExpectPages(kThankYouPageUrl), ExpectScratch(Scratch::Absent), MeasureSmallAnswerGrowth()}),
         Accepts()},
        {"nothing listening: the reason and the advice, no page",
         Join(Fill(), {Key(VK_RETURN), ExpectError(kSendFailed, Match::Cause), ExpectExit(5000), ExpectPages("")})},
        {"a refusal is reported, not taken for success",
         Join(Fill(), {Click(IDC_REQUEST_DOWNLOAD),
                       ExpectError("The Server Could Not Accept the Information (Status 500). Please Check your "
                                   "Network Settings and Try Again."),
                       ExpectExit(5000), ExpectPosts(1), ExpectPages(""), ExpectScratch(Scratch::Absent)}),
         {{PageWithLength(500, "sorry\n")}}},
        {"closed while the service stalls: home page, prompt end, no scratch file",
         Join(Fill(), {Click(IDC_REQUEST_DOWNLOAD), ExpectVisible(IDC_WAIT_LABEL), ExpectDisabled(IDC_REQUEST_DOWNLOAD),
                       ExpectDisabled(IDC_EMAIL), ExpectDisabled(IDC_FULL_NAME), ExpectDisabled(IDC_PHONE),
                       ExpectNoFocus(), ExpectScratch(Scratch::Present), Screenshot("waiting"), Click(IDC_CANCEL),
                       ExpectExit(5000), ExpectPages(kHomePageUrl), ExpectScratch(Scratch::Absent)}),
         {{Page(200, "Content-Length: 100000\r\n", "<html>"), Reply::End::Hold}}},
        {"a click and Enter at once post the form once",
         Join(Fill(), {Click(IDC_REQUEST_DOWNLOAD), Key(VK_RETURN), Key(VK_RETURN), ExpectExit(15000), ExpectPosts(1),
                       ExpectPages(kThankYouPageUrl)}),
         Accepts()},
        {"a screen reader names each input; Tab walks the inputs, then the buttons",
         {ExpectAccessibleName(IDC_EMAIL, "Email Address : * "), ExpectAccessibleName(IDC_FULL_NAME, "Full Name : *"),
          ExpectAccessibleName(IDC_PHONE, "Phone : "), ExpectFocus(IDC_EMAIL), Key(VK_TAB), ExpectFocus(IDC_FULL_NAME),
          Key(VK_TAB), ExpectFocus(IDC_PHONE), Key(VK_TAB), ExpectFocus(IDC_REQUEST_DOWNLOAD), Key(VK_TAB),
          ExpectFocus(IDC_CANCEL), Key(VK_TAB), ExpectFocus(IDC_EMAIL), CloseBox(), ExpectExit(5000),
          ExpectPages(kHomePageUrl)}},
        {"validation, focus and Enter",
         {ExpectPosition(110, 110), ExpectFocus(IDC_EMAIL), ExpectPictureAtScale(), ExpectTextsFit(), Screenshot("form"),
          Click(IDC_REQUEST_DOWNLOAD), ExpectError("Please Provide a Valid Email."), ExpectFocus(IDC_EMAIL),
          Type(IDC_EMAIL, "jo@example"), Key(VK_RETURN), ExpectError("Please Provide a Valid Email."),
          ExpectFocus(IDC_EMAIL), Type(IDC_EMAIL, "jo@example.com"), Key(VK_RETURN), ExpectError("Please Provide Name."),
          ExpectFocus(IDC_FULL_NAME), Click(IDC_CANCEL), ExpectExit(5000), ExpectPages(kHomePageUrl)}},
        {"a validation message is answered before anything else",
         {Click(IDC_REQUEST_DOWNLOAD), WaitForError(), Type(IDC_EMAIL, "jo@example.com"),
          Type(IDC_FULL_NAME, "Jo Bloggs"), CommandNow(IDC_REQUEST_DOWNLOAD), CommandNow(IDOK),
          ExpectError("Please Provide a Valid Email."), ExpectNoError(), Click(IDC_CANCEL), ExpectExit(5000),
          ExpectPosts(0), ExpectPages(kHomePageUrl)},
         Accepts()},
        {"closed while a validation message is up: ends once it is answered",
         {Click(IDC_REQUEST_DOWNLOAD), WaitForError(), CloseBox(), ExpectError("Please Provide a Valid Email."),
          ExpectExit(5000), ExpectPages(kHomePageUrl)}},
        {"Esc opens the home page and ends the program",
         {ExpectFocus(IDC_EMAIL), Key(VK_ESCAPE), ExpectExit(5000), ExpectPages(kHomePageUrl)}},
        {"the close box opens the home page and ends the program", {CloseBox(), ExpectExit(5000), ExpectPages(kHomePageUrl)}},
    };
    for (Scenario& fault : FaultScenarios()) scenarios.push_back(std::move(fault));
    // The browser as Windows finds it, whatever its class looks like.
    const std::pair<const char*, Desktop> browsers[] = {
        {"the chosen browser's command stored as REG_EXPAND_SZ", Desktop::ExpandedCommand},
        {"the chosen browser's unquoted path with blanks", Desktop::UnquotedPath},
        {"the chosen browser without a command: the shell opens the page", Desktop::NoCommand},
        {"the chosen browser's program has moved: the shell opens the page", Desktop::MovedProgram},
        {"no browser chosen: .htm's class", Desktop::NoChoice},
    };
    for (const auto& browser : browsers) {
        scenarios.push_back({browser.first, {CloseBox(), ExpectExit(5000), ExpectPages(kHomePageUrl)}, {}, false,
                             browser.second});
    }
    return scenarios;
}

std::string FromHex(const std::string& hex) {
    std::string bytes;
    for (size_t i = 0; i + 1 < hex.size(); i += 2) bytes += static_cast<char>(std::stoi(hex.substr(i, 2), nullptr, 16));
    return bytes;
}

// The scenarios a mode asks for, built only once it is known; `argument`: the mode's text, if any.
std::vector<Scenario> Chosen(const std::string& mode, const std::string& argument) {
    if (mode == "--real-service") return {RealService(argument.empty() ? "Jo Bloggs" : argument)};
    if (mode == "--refusing-program") {
        return {RefusingProgram(argument.empty() ? "Error Sending the Information to Server." : argument)};
    }
    if (mode == "--walk-through") return {WalkThrough()};
    if (mode == "--one-submission") return {OneSubmission()};
    if (mode == "--screen-scale") return {ScreenScale()};
    return Scenarios();
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        fprintf(stderr, "usage: form_driver PROGRAM OUTPUT_FOLDER [MODE [ARGUMENT]]\n");
        return 2;
    }
    SetProcessDPIAware();  // sizes in real pixels, whatever the screen's scale
    CoInitialize(nullptr);
    PrepareDesktop(argv[2]);
    const std::string mode = argc > 3 ? argv[3] : "";
    const std::string argument = argc > 4 ? FromHex(argv[4]) : "";
    int passed = 0, failed = 0;
    for (const Scenario& scenario : Chosen(mode, argument)) {
        Run run(argv[1], argv[2]);
        if (run.Play(scenario)) {
            ++passed;
            printf("PASS %s\n", scenario.name);
        } else {
            ++failed;
            printf("FAIL %s: %s\n", scenario.name, run.Failure().c_str());
        }
        fflush(stdout);
    }
    printf("%d passed, %d failed\n", passed, failed);
    return failed ? 1 : 0;
}
