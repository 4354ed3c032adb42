// Drives the real DownloadRequest.exe the way a person would: finds the form by
// its caption, types, clicks, presses keys, reads and answers message boxes.
// Each scenario is a list of steps; the program must have ended when it is over.
// The driver registers a recording browser for .htm files and a cache folder of
// its own in the test prefix, and plays the vendor's service on loopback.
//
//   form_driver.exe PROGRAM OUTPUT_FOLDER                 the scenarios against a scripted service
//   form_driver.exe PROGRAM OUTPUT_FOLDER --real-service [NAME]  one submission to a service already running;
//                                                  NAME: the full name typed, as hex digits of its UTF-8
//   form_driver.exe PROGRAM OUTPUT_FOLDER --refusing-program  the same, but the program must refuse the
//                                                  service (its certificate): the sending error, no page
//   form_driver.exe PROGRAM OUTPUT_FOLDER --walk-through  the same, slowly, with a screenshot of each step
//   form_driver.exe PROGRAM OUTPUT_FOLDER --one-submission  one accepted submission; prints its peak memory
//   form_driver.exe PROGRAM OUTPUT_FOLDER --screen-scale  the form at the screen's DPI, with a screenshot
#include <winsock2.h>
#include <windows.h>

#include <stdio.h>
#include <string.h>

#include <fstream>
#include <atomic>
#include <memory>
#include <thread>
#include <string>
#include <vector>

#include <oleacc.h>
#include <psapi.h>
#include <tlhelp32.h>

#include "form/VendorUrls.h"
#include "resource.h"
#include "support/ScriptedServer.h"
#include "support/TestRegistry.h"
#include "support/WindowProbe.h"

namespace {

const char kCaption[] = "Download Request Form";

enum class Act {
    Type,            // control, text (UTF-8; the form gets it in the system's code page)
    Click,           // control
    Key,             // number: virtual key, sent to the focused control
    CloseBox,        // the caption's close box
    ExpectError,     // text: a message box "Error" with this text, then OK
    ExpectFocus,     // control
    ExpectPosition,  // number: left and top in screen pixels
    Screenshot,      // text: file name without extension; number 1: the whole screen
    WaitForError,    // a message box "Error" is showing (left open)
    ExpectExit,      // number: within this many milliseconds
    ExpectPages,     // text: the pages the browser was started on, ";" between them
    ExpectVisible,   // control
    ExpectDisabled,  // control
    ExpectNoFocus,   // no control of the form holds the focus
    ExpectScratch,   // number: 1 when the scratch file must exist, 0 when it must not
    ExpectPosts,     // number of requests the service received; text: the first one's body, if given
    ExpectErrorEnding,  // text: a message box "Error" whose text ends so, then OK
    KeepPeakMemory,     // the program's peak private bytes become the baseline
    ExpectPeakMemory,   // number: at most this many KiB above the baseline
    CommandNow,         // control: its click (IDOK: Enter), which the form must handle at once
    ExpectNoError,      // no message box "Error" is showing
    ExpectAccessibleName,  // control, text: the name a screen reader gives it
    ExpectPictureAtScale,  // the picture is its 96-DPI size times the screen's scale
    ExpectDpiAware,        // the form lays itself out in real pixels, not stretched by the system
};

struct Step {
    Act act;
    int control;
    const char* text;
    int number;
};

Step Type(int control, const char* text) { return {Act::Type, control, text, 0}; }
Step Click(int control) { return {Act::Click, control, nullptr, 0}; }
Step Key(int virtualKey) { return {Act::Key, 0, nullptr, virtualKey}; }
Step CloseBox() { return {Act::CloseBox, 0, nullptr, 0}; }
Step ExpectError(const char* text) { return {Act::ExpectError, 0, text, 0}; }
Step ExpectFocus(int control) { return {Act::ExpectFocus, control, nullptr, 0}; }
Step ExpectPosition(int leftTop) { return {Act::ExpectPosition, 0, nullptr, leftTop}; }
Step Screenshot(const char* name) { return {Act::Screenshot, 0, name, 0}; }
Step ScreenshotAll(const char* name) { return {Act::Screenshot, 0, name, 1}; }
Step WaitForError() { return {Act::WaitForError, 0, nullptr, 0}; }
Step ExpectExit(int withinMs) { return {Act::ExpectExit, 0, nullptr, withinMs}; }
Step ExpectPages(const char* pages) { return {Act::ExpectPages, 0, pages, 0}; }
Step ExpectVisible(int control) { return {Act::ExpectVisible, control, nullptr, 0}; }
Step ExpectDisabled(int control) { return {Act::ExpectDisabled, control, nullptr, 0}; }
Step ExpectNoFocus() { return {Act::ExpectNoFocus, 0, nullptr, 0}; }
Step ExpectScratch(bool present) { return {Act::ExpectScratch, 0, nullptr, present ? 1 : 0}; }
Step ExpectPosts(int count, const char* body = nullptr) { return {Act::ExpectPosts, 0, body, count}; }
Step ExpectErrorEnding(const char* text) { return {Act::ExpectErrorEnding, 0, text, 0}; }
Step KeepPeakMemory() { return {Act::KeepPeakMemory, 0, nullptr, 0}; }
Step ExpectPeakMemory(int kibAboveBaseline) { return {Act::ExpectPeakMemory, 0, nullptr, kibAboveBaseline}; }
Step CommandNow(int control) { return {Act::CommandNow, control, nullptr, 0}; }
Step ExpectNoError() { return {Act::ExpectNoError, 0, nullptr, 0}; }
Step ExpectAccessibleName(int control, const char* name) { return {Act::ExpectAccessibleName, control, name, 0}; }
Step ExpectPictureAtScale() { return {Act::ExpectPictureAtScale, 0, nullptr, 0}; }
Step ExpectDpiAware() { return {Act::ExpectDpiAware, 0, nullptr, 0}; }

// How the scripted service answers, one reply per connection; none: nothing listens.
using Service = std::vector<Reply>;

std::string Page(int status, const std::string& headers, const std::string& body) {
    return HttpReply(status, headers, body);
}

std::string PageWithLength(int status, const std::string& body) {
    return HttpReply(status, "Content-Length: " + std::to_string(body.size()) + "\r\n", body);
}

const std::string kThanks = "<html><body>Thank you.\nCheck your mail.</body></html>\n";
const Service kAccepts = {{PageWithLength(200, kThanks)}};
const Service kNothingListens = {};
const char kAdvice[] = " Please Check your Network Settings and Try Again.";

const char kBody[] =
    "EmailAddress=jo%40example%2ecom&EmailType=2&rootURL=http%3a%2f%2f127%2e0%2e0%2e1%2f&SelectProduct=2"
    "&HowReached=Other&FullName=Jo%20Bloggs&Phone=0123\r\n";

struct Scenario {
    const char* name;
    std::vector<Step> steps;
    Service service;
    bool serviceAlreadyRunning = false;  // a real one, started by whoever runs the driver
    bool browserMissing = false;         // .htm names a file class that is not there
};

std::vector<Step> Join(std::vector<Step> first, const std::vector<Step>& then) {
    first.insert(first.end(), then.begin(), then.end());
    return first;
}

const std::vector<Step> fill = {Type(IDC_EMAIL, "jo@example.com"), Type(IDC_FULL_NAME, "Jo Bloggs"),
                                Type(IDC_PHONE, "0123")};

Scenario RealService(const char* fullName) {
    return {"the vendor service takes the form",
            {Type(IDC_EMAIL, "jo@example.com"), Type(IDC_FULL_NAME, fullName), Type(IDC_PHONE, "0123"),
             Click(IDC_REQUEST_DOWNLOAD), ExpectExit(30000), ExpectPages(kThankYouPageUrl), ExpectScratch(false)},
            {}, true};
}

const Scenario kRefusingProgram = {
    "the program refuses the service",
    Join(fill, {Click(IDC_REQUEST_DOWNLOAD),
                ExpectError("Error Sending the Information to Server. Please Check your Network Settings and Try Again."),
                ExpectExit(5000), ExpectPages(""), ExpectScratch(false)}),
    {}, true};

std::string FromHex(const std::string& hex) {
    std::string bytes;
    for (size_t i = 0; i + 1 < hex.size(); i += 2) bytes += static_cast<char>(std::stoi(hex.substr(i, 2), nullptr, 16));
    return bytes;
}

std::wstring Wide(const char* utf8) {
    std::wstring wide(strlen(utf8) + 1, L'\0');
    wide.resize(static_cast<size_t>(MultiByteToWideChar(CP_UTF8, 0, utf8, -1, &wide[0], static_cast<int>(wide.size()))));
    return wide;
}

const Scenario kScreenScale = {
    "the form at the screen's scale",
    {ExpectDpiAware(), ExpectPictureAtScale(), ExpectAccessibleName(IDC_EMAIL, "Email Address : * "),
     Screenshot("form"), CloseBox(), ExpectExit(5000), ExpectPages(kHomePageUrl)}};

const Scenario kOneSubmission = {
    "one submission, measured",
    Join(fill, {Click(IDC_REQUEST_DOWNLOAD), ExpectExit(30000), ExpectPages(kThankYouPageUrl), KeepPeakMemory()}),
    kAccepts};

const Scenario kWalkThrough = {
    "walk-through",
    {ScreenshotAll("1-form"), Type(IDC_EMAIL, "jo.example.com"), Type(IDC_FULL_NAME, "Jo Bloggs"),
     Click(IDC_REQUEST_DOWNLOAD), WaitForError(), ScreenshotAll("2-invalid-address"),
     ExpectError("Please Provide a Valid Email."), Type(IDC_EMAIL, "jo@example.com"), Type(IDC_PHONE, "0123"),
     ScreenshotAll("3-filled-in"), Click(IDC_REQUEST_DOWNLOAD), ExpectVisible(IDC_WAIT_LABEL),
     ScreenshotAll("4-sending"), ExpectExit(60000), ExpectPages(kThankYouPageUrl)},
    {}, true};

// Faults of the service and the network, and what the user sees of each.
std::vector<Scenario> FaultScenarios() {
    const std::string tenMegabytes(10 * 1024 * 1024, 'x');
    const std::vector<Step> submit = Join(fill, {Click(IDC_REQUEST_DOWNLOAD)});
    const std::vector<Step> thanks = {ExpectExit(30000), ExpectPages(kThankYouPageUrl), ExpectScratch(false)};
    const std::vector<Step> cancelWhileWaiting = {ExpectDisabled(IDC_REQUEST_DOWNLOAD), Click(IDC_CANCEL),
                                                  ExpectExit(5000), ExpectPages(kHomePageUrl), ExpectScratch(false)};
    return {
        {"fault: reset in the middle of the body shows the system's reason",
         Join(submit, {ExpectErrorEnding(kAdvice), ExpectExit(5000), ExpectPages(""), ExpectScratch(false)}),
         {{Page(200, "", std::string(2048, 'x')), Reply::End::Reset, true, 500}}},
        {"fault: no answer at all, the user cancels", Join(submit, cancelWhileWaiting),
         {{"", Reply::End::Hold}}},
        {"fault: headers then silence, the user cancels", Join(submit, cancelWhileWaiting),
         {{Page(200, "Content-Length: 50\r\n", ""), Reply::End::Hold}}},
        {"fault: a length larger than the body still thanks", Join(submit, thanks),
         {{Page(200, "Content-Length: 5000\r\n", "short")}}},
        {"fault: a negative length still thanks", Join(submit, thanks),
         {{Page(200, "Content-Length: -5\r\n", kThanks)}}},
        {"fault: a huge length still thanks", Join(submit, thanks),
         {{Page(200, "Content-Length: 99999999999\r\n", kThanks)}}},
        {"fault: a length that is no number still thanks", Join(submit, thanks),
         {{Page(200, "Content-Length: twelve\r\n", kThanks)}}},
        {"fault: a redirect to a 200 page still thanks",
         Join(submit, Join(thanks, {ExpectPosts(2)})),
         {{Page(302, "Location: /thanks\r\nContent-Length: 0\r\n", "")}, {PageWithLength(200, kThanks)}}},
        {"an empty 200 body: the memory baseline", Join(submit, Join(thanks, {KeepPeakMemory()})),
         {{PageWithLength(200, "")}}},
        {"fault: a 10 MB body thanks without the memory growing with it",
         Join(submit, Join(thanks, {ExpectPeakMemory(2048)})),
         {{PageWithLength(200, tenMegabytes)}}},
        {"fault: no browser; closed while its message is up, the program ends at once",
         Join(submit, {WaitForError(), CloseBox(), ExpectExit(5000), ExpectPages(""), ExpectScratch(false)}),
         kAccepts, false, true},
    };
}

std::vector<Scenario> Scenarios() {
    std::vector<Scenario> scenarios = {
        {"an accepted form opens the thank-you page",
         Join(fill, {Click(IDC_REQUEST_DOWNLOAD), ExpectExit(15000), ExpectPosts(1, kBody),
                     ExpectPages(kThankYouPageUrl), ExpectScratch(false)}),
         kAccepts},
        {"nothing listening: the reason and the advice, no page",
         Join(fill, {Key(VK_RETURN),
                     ExpectError("Error Sending the Information to Server. Please Check your Network Settings and "
                                 "Try Again."),
                     ExpectExit(5000), ExpectPages("")}),
         kNothingListens},
        {"a refusal is reported, not taken for success",
         Join(fill, {Click(IDC_REQUEST_DOWNLOAD),
                     ExpectError("The Server Could Not Accept the Information (Status 500). Please Check your "
                                 "Network Settings and Try Again."),
                     ExpectExit(5000), ExpectPosts(1), ExpectPages(""), ExpectScratch(false)}),
         {{PageWithLength(500, "sorry\n")}}},
        {"closed while the service stalls: home page, prompt end, no scratch file",
         Join(fill, {Click(IDC_REQUEST_DOWNLOAD), ExpectVisible(IDC_WAIT_LABEL), ExpectDisabled(IDC_REQUEST_DOWNLOAD),
                     ExpectDisabled(IDC_EMAIL), ExpectDisabled(IDC_FULL_NAME), ExpectDisabled(IDC_PHONE),
                     ExpectNoFocus(), ExpectScratch(true), Screenshot("waiting"), Click(IDC_CANCEL), ExpectExit(5000),
                     ExpectPages(kHomePageUrl), ExpectScratch(false)}),
         {{Page(200, "Content-Length: 100000\r\n", "<html>"), Reply::End::Hold}}},
        {"a click and Enter at once post the form once",
         Join(fill, {Click(IDC_REQUEST_DOWNLOAD), Key(VK_RETURN), Key(VK_RETURN), ExpectExit(15000), ExpectPosts(1),
                     ExpectPages(kThankYouPageUrl)}),
         kAccepts},
        {"a screen reader names each input; Tab walks the inputs, then the buttons",
         {ExpectAccessibleName(IDC_EMAIL, "Email Address : * "), ExpectAccessibleName(IDC_FULL_NAME, "Full Name : *"),
          ExpectAccessibleName(IDC_PHONE, "Phone : "), ExpectFocus(IDC_EMAIL), Key(VK_TAB), ExpectFocus(IDC_FULL_NAME),
          Key(VK_TAB), ExpectFocus(IDC_PHONE), Key(VK_TAB), ExpectFocus(IDC_REQUEST_DOWNLOAD), Key(VK_TAB),
          ExpectFocus(IDC_CANCEL), Key(VK_TAB), ExpectFocus(IDC_EMAIL), CloseBox(), ExpectExit(5000),
          ExpectPages(kHomePageUrl)}},
        {"validation, focus and Enter",
         {ExpectPosition(110), ExpectFocus(IDC_EMAIL), ExpectPictureAtScale(), Screenshot("form"),
          Click(IDC_REQUEST_DOWNLOAD), ExpectError("Please Provide a Valid Email."), ExpectFocus(IDC_EMAIL),
          Type(IDC_EMAIL, "jo@example"), Key(VK_RETURN), ExpectError("Please Provide a Valid Email."),
          ExpectFocus(IDC_EMAIL), Type(IDC_EMAIL, "jo@example.com"), Key(VK_RETURN),
          ExpectError("Please Provide Name."), ExpectFocus(IDC_FULL_NAME), Click(IDC_CANCEL),
          ExpectExit(5000), ExpectPages(kHomePageUrl)}},
        {"a validation message is answered before anything else",
         {Click(IDC_REQUEST_DOWNLOAD), WaitForError(), Type(IDC_EMAIL, "jo@example.com"),
          Type(IDC_FULL_NAME, "Jo Bloggs"), CommandNow(IDC_REQUEST_DOWNLOAD), CommandNow(IDOK),
          ExpectError("Please Provide a Valid Email."), ExpectNoError(), ExpectPosts(0), Click(IDC_CANCEL),
          ExpectExit(5000), ExpectPages(kHomePageUrl)},
         kAccepts},
        {"closed while a validation message is up: ends once it is answered",
         {Click(IDC_REQUEST_DOWNLOAD), WaitForError(), CloseBox(), ExpectError("Please Provide a Valid Email."),
          ExpectExit(5000), ExpectPages(kHomePageUrl)}},
        {"Esc opens the home page and ends the program",
         {ExpectFocus(IDC_EMAIL), Key(VK_ESCAPE), ExpectExit(5000), ExpectPages(kHomePageUrl)}},
        {"the close box opens the home page and ends the program",
         {CloseBox(), ExpectExit(5000), ExpectPages(kHomePageUrl)}},
    };
    for (Scenario& fault : FaultScenarios()) scenarios.push_back(std::move(fault));
    return scenarios;
}

std::string BesideThisProgram(const char* name) {
    char self[MAX_PATH];
    GetModuleFileNameA(nullptr, self, MAX_PATH);
    std::string path(self);
    return path.substr(0, path.rfind('\\') + 1) + name;
}

std::vector<std::string> Lines(const std::string& path) {
    std::vector<std::string> lines;
    std::ifstream in(path);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

// The recording browser for .htm files, or a file class that is not there.
void RegisterBrowser(bool present) {
    const std::string fileClass = present ? "DownloadRequestTests.page" : "DownloadRequestTests.missing";
    SetRegistryValue(HKEY_CLASSES_ROOT, ".htm", "", REG_SZ, fileClass + '\0');
}

// The registry and environment the program meets: the recording browser for
// .htm files, and the per-user cache folder.
void PrepareDesktop(const std::string& output) {
    SetRegistryValue(HKEY_CLASSES_ROOT, "DownloadRequestTests.page\\shell\\open\\command", "", REG_SZ,
                     "\"" + BesideThisProgram("fake_browser.exe") + "\" \"%1\"" + '\0');
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

std::unique_ptr<ScriptedServer> StartService(const Service& replies) {
    if (replies.empty()) return nullptr;
    auto server = std::make_unique<ScriptedServer>(TEST_CRM_PORT);
    server->Script(replies);
    return server;
}

// The peak private bytes of the program in the scenario that set the baseline.
SIZE_T baselinePeakBytes = 0;

// Samples a process's private bytes until it ends; keeps the peak.
class MemoryWatch {
public:
    explicit MemoryWatch(HANDLE process) : sampler([this, process] {
        while (!stop) {
            PROCESS_MEMORY_COUNTERS_EX counters = {};
            counters.cb = sizeof counters;
            if (GetProcessMemoryInfo(process, reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters), sizeof counters)) {
                SIZE_T seen = counters.PrivateUsage > counters.PeakPagefileUsage ? counters.PrivateUsage
                                                                                 : counters.PeakPagefileUsage;
                if (seen > peak) peak = seen;
            }
            if (WaitForSingleObject(process, 5) == WAIT_OBJECT_0) break;
        }
    }) {}
    ~MemoryWatch() { Stop(); }
    SIZE_T Stop() {
        stop = true;
        if (sampler.joinable()) sampler.join();
        return peak;
    }

private:
    std::atomic<bool> stop{false};
    std::atomic<SIZE_T> peak{0};
    std::thread sampler;
};

class Run {
public:
    Run(const std::string& program, const std::string& output) : program(program), output(output) {
        DeleteFileA(BrowserLog().c_str());
        DeleteFileA(ScratchPath().c_str());
    }

    bool Play(const Scenario& scenario) {
        failure.clear();
        server = StartService(scenario.service);
        if (server && !server->Listening())
            return Fail("the service could not listen on port " + std::to_string(TEST_CRM_PORT));
        RegisterBrowser(!scenario.browserMissing);
        if (!Start()) return Fail("the program did not start");
        memory = std::make_unique<MemoryWatch>(process.hProcess);
        form = WaitForDialog(process.dwProcessId, kCaption, 15000);
        if (!form) Fail("the form did not appear");
        for (size_t i = 0; failure.empty() && i < scenario.steps.size(); ++i) Do(scenario.steps[i]);
        if (HWND box = FindDialog(process.dwProcessId, "Error")) {
            failure += " (a message box said \"" + MessageBoxText(box) + "\")";
        }
        if (WaitForSingleObject(process.hProcess, 0) != WAIT_OBJECT_0) {
            Fail("the program was still running at the end");
            TerminateProcess(process.hProcess, 1);
            WaitForSingleObject(process.hProcess, 5000);
        }
        StopWatching();
        CloseHandle(process.hProcess);
        CloseHandle(process.hThread);
        return failure.empty();
    }

    const std::string& Failure() const { return failure; }

private:
    std::string BrowserLog() const { return output + "\\browser.log"; }
    std::string ScratchPath() const { return output + "\\cache\\my_download_temp.htm"; }

    // The first argument of every start of the recording browser.
    std::string Pages() const {
        std::string pages;
        for (const std::string& line : Lines(BrowserLog())) {
            if (!pages.empty()) pages += ";";
            pages += line.substr(0, line.find('|'));
        }
        return pages;
    }

    bool Start() {
        STARTUPINFOA startup = {};
        startup.cb = sizeof startup;
        std::string commandLine = "\"" + program + "\"";
        return CreateProcessA(program.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                              &startup, &process) != FALSE;
    }

    bool Fail(const std::string& why) {
        if (failure.empty()) failure = why;
        return false;
    }

    HWND Control(int id) const { return GetDlgItem(form, id); }

    void StopWatching() {
        if (memory) lastPeak = memory->Stop();
        memory.reset();
    }

    HWND Focused() const {
        GUITHREADINFO info = {};
        info.cbSize = sizeof info;
        GetGUIThreadInfo(process.dwThreadId, &info);
        return info.hwndFocus;
    }

    void Do(const Step& step) {
        switch (step.act) {
        case Act::Type:
            SendMessageTimeoutW(Control(step.control), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(Wide(step.text).c_str()),
                                SMTO_ABORTIFHUNG, 5000, nullptr);
            break;
        case Act::Click:
            PostMessageA(Control(step.control), BM_CLICK, 0, 0);
            break;
        case Act::Key: {
            HWND target = Focused() ? Focused() : form;
            PostMessageA(target, WM_KEYDOWN, step.number, 1);
            PostMessageA(target, WM_KEYUP, step.number, 0xC0000001);
            break;
        }
        case Act::CloseBox:
            PostMessageA(form, WM_SYSCOMMAND, SC_CLOSE, 0);
            break;
        case Act::ExpectErrorEnding:
        case Act::ExpectError: {
            HWND box = WaitForDialog(process.dwProcessId, "Error", 15000);
            if (!box) {
                Fail(std::string("no message box for \"") + step.text + "\"");
                break;
            }
            const std::string text = MessageBoxText(box);
            const std::string wanted = step.text;
            const bool matches = step.act == Act::ExpectError
                                     ? text == wanted
                                     : text.size() > wanted.size() &&
                                           text.compare(text.size() - wanted.size(), wanted.size(), wanted) == 0;
            if (!matches) Fail("message box said \"" + text + "\", expected \"" + step.text + "\"");
            DismissMessageBox(box);
            WaitUntil([&] { return !IsWindow(box) || !IsWindowVisible(box); }, 5000);
            break;
        }
        case Act::ExpectFocus:
            // Focus settles asynchronously under Wine after a message box closes.
            if (!WaitUntil([&] { return Focused() == Control(step.control); }, 3000))
                Fail("control " + std::to_string(step.control) + " never had the focus");
            break;
        case Act::ExpectPosition: {
            RECT frame = {};
            GetWindowRect(form, &frame);
            if (frame.left != step.number || frame.top != step.number)
                Fail("form at " + std::to_string(frame.left) + "," + std::to_string(frame.top));
            break;
        }
        case Act::Screenshot:
            SaveScreenshot(step.text, step.number != 0);
            break;
        case Act::WaitForError:
            if (!WaitForDialog(process.dwProcessId, "Error", 15000)) Fail("no message box appeared");
            break;
        case Act::ExpectExit:
            if (WaitForSingleObject(process.hProcess, step.number) != WAIT_OBJECT_0)
                Fail("the program did not end within " + std::to_string(step.number) + " ms");
            break;
        case Act::ExpectPages:
            // Final once the program has ended and every browser it started has recorded its page.
            if (!WaitUntil([&] { return WaitForSingleObject(process.hProcess, 0) == WAIT_OBJECT_0 && !BrowserRunning(); },
                           10000)) {
                Fail("the program or a browser it started was still running");
            } else if (Pages() != step.text) {
                Fail("browser pages were \"" + Pages() + "\", expected \"" + step.text + "\"");
            }
            break;
        case Act::ExpectVisible:
            if (!WaitUntil([&] { return IsWindowVisible(Control(step.control)) != FALSE; }, 5000))
                Fail("control " + std::to_string(step.control) + " never showed");
            break;
        case Act::ExpectDisabled:
            if (!WaitUntil([&] { return IsWindowEnabled(Control(step.control)) == FALSE; }, 5000))
                Fail("control " + std::to_string(step.control) + " stayed enabled");
            break;
        case Act::ExpectNoFocus:  // after the wait label showed: the submission had started by then
            if (Focused() && IsChild(form, Focused())) Fail("a control held the focus");
            break;
        case Act::CommandNow: {
            DWORD_PTR result = 0;
            if (!SendMessageTimeoutA(form, WM_COMMAND, MAKEWPARAM(step.control, BN_CLICKED),
                                     reinterpret_cast<LPARAM>(Control(step.control)), SMTO_NORMAL, 3000, &result))
                Fail("the form did not handle command " + std::to_string(step.control) + " at once");
            break;
        }
        case Act::ExpectAccessibleName: {
            const std::string name = AccessibleName(Control(step.control));
            if (name != step.text) Fail("control " + std::to_string(step.control) + " is named \"" + name + "\"");
            break;
        }
        case Act::ExpectPictureAtScale:
            CheckPictureScale();
            break;
        case Act::ExpectDpiAware:
            if (GetAwarenessFromDpiAwarenessContext(GetWindowDpiAwarenessContext(form)) == DPI_AWARENESS_UNAWARE)
                Fail("the form is not DPI-aware: the system stretches it");
            break;
        case Act::ExpectNoError:
            if (HWND box = FindDialog(process.dwProcessId, "Error")) Fail("a message box said \"" + MessageBoxText(box) + "\"");
            break;
        case Act::ExpectScratch: {
            auto exists = [&] { return GetFileAttributesA(ScratchPath().c_str()) != INVALID_FILE_ATTRIBUTES; };
            const bool wanted = step.number != 0;
            if (!WaitUntil([&] { return exists() == wanted; }, 5000))
                Fail(wanted ? "no scratch file appeared" : "a scratch file was left behind");
            break;
        }
        case Act::KeepPeakMemory:
            StopWatching();  // the program has ended: the watch has seen all of it
            baselinePeakBytes = lastPeak;
            printf("  peak private bytes: %lu KiB\n", static_cast<unsigned long>(lastPeak / 1024));
            break;
        case Act::ExpectPeakMemory: {
            StopWatching();
            printf("  peak private bytes: %lu KiB (baseline %lu KiB)\n", static_cast<unsigned long>(lastPeak / 1024),
                   static_cast<unsigned long>(baselinePeakBytes / 1024));
            if (lastPeak == 0 || baselinePeakBytes == 0) {
                Fail("no memory figures");
            } else if (lastPeak > baselinePeakBytes + static_cast<SIZE_T>(step.number) * 1024) {
                Fail("peak private bytes grew by " + std::to_string((lastPeak - baselinePeakBytes) / 1024) + " KiB");
            }
            break;
        }
        case Act::ExpectPosts: {
            const auto requests = server ? server->Requests() : std::vector<std::string>();
            if (static_cast<int>(requests.size()) != step.number) {
                Fail("the service received " + std::to_string(requests.size()) + " requests");
            } else if (step.text) {
                const std::string& request = requests[0];
                const std::string body = request.substr(request.find("\r\n\r\n") + 4);
                if (body != step.text) Fail("the service received the body \"" + body + "\"");
            }
            break;
        }
        }
    }

    // The name oleacc gives a control, as a screen reader asks for it.
    static std::string AccessibleName(HWND control) {
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

    // The picture is drawn for 96 DPI at 99 by 88 pixels: it must grow with the
    // screen's scale, and stay where the layout puts it, inside the form.
    void CheckPictureScale() {
        HWND picture = nullptr;
        for (HWND child = GetWindow(form, GW_CHILD); child && !picture; child = GetWindow(child, GW_HWNDNEXT)) {
            if ((GetWindowLongA(child, GWL_STYLE) & SS_TYPEMASK) == SS_BITMAP) picture = child;
        }
        HDC screen = GetDC(nullptr);
        const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
        ReleaseDC(nullptr, screen);
        RECT size = {}, client = {}, place = {};
        GetClientRect(picture, &size);
        GetClientRect(form, &client);
        GetWindowRect(picture, &place);
        MapWindowPoints(nullptr, form, reinterpret_cast<POINT*>(&place), 2);
        printf("  %d DPI: picture %ldx%ld at %ld,%ld in a %ldx%ld form\n", dpi, size.right, size.bottom, place.left,
               place.top, client.right, client.bottom);
        const int width = MulDiv(99, dpi, 96), height = MulDiv(88, dpi, 96);
        if (!picture || abs(size.right - width) > 1 || abs(size.bottom - height) > 1) {
            Fail("the picture is " + std::to_string(size.right) + "x" + std::to_string(size.bottom) + ", not " +
                 std::to_string(width) + "x" + std::to_string(height));
        } else if (place.right > client.right || place.bottom > client.bottom) {
            Fail("the picture reaches out of the form");
        }
    }

    // A browser the program started that is still running: its page may not be recorded yet.
    bool BrowserRunning() const {
        HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
        PROCESSENTRY32 entry = {};
        entry.dwSize = sizeof entry;
        bool running = false;
        for (BOOL more = Process32First(snapshot, &entry); more && !running; more = Process32Next(snapshot, &entry)) {
            running = entry.th32ParentProcessID == process.dwProcessId && _stricmp(entry.szExeFile, "fake_browser.exe") == 0;
        }
        CloseHandle(snapshot);
        return running;
    }

    // Every window of the program paints what it has to, and its thread is back in its loop.
    void PaintNow() const { EnumWindows(PaintIfOfProcess, static_cast<LPARAM>(process.dwProcessId)); }
    static BOOL CALLBACK PaintIfOfProcess(HWND window, LPARAM pid) {
        DWORD owner = 0;
        GetWindowThreadProcessId(window, &owner);
        if (owner == static_cast<DWORD>(pid) && IsWindowVisible(window)) {
            RedrawWindow(window, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
            SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 2000, nullptr);
        }
        return TRUE;
    }

    // The form's area of the screen (or all of it) as a 24-bit BMP; the test converts it to PNG.
    void SaveScreenshot(const char* name, bool wholeScreen) {
        PaintNow();
        RECT frame = {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
        if (!wholeScreen) GetWindowRect(form, &frame);
        const int width = frame.right - frame.left, height = frame.bottom - frame.top;
        HDC screen = GetDC(nullptr);
        HDC memory = CreateCompatibleDC(screen);
        BITMAPINFO info = {};
        info.bmiHeader.biSize = sizeof info.bmiHeader;
        info.bmiHeader.biWidth = width;
        info.bmiHeader.biHeight = height;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 24;
        void* bits = nullptr;
        HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
        HGDIOBJ old = SelectObject(memory, bitmap);
        BitBlt(memory, 0, 0, width, height, screen, frame.left, frame.top, SRCCOPY);
        GdiFlush();
        const DWORD rowBytes = (static_cast<DWORD>(width) * 3 + 3) & ~3u;
        const DWORD imageBytes = rowBytes * static_cast<DWORD>(height);
        BITMAPFILEHEADER file = {};
        file.bfType = 0x4D42;
        file.bfOffBits = sizeof file + sizeof info.bmiHeader;
        file.bfSize = file.bfOffBits + imageBytes;
        const std::string path = output + "\\" + name + ".bmp";
        if (FILE* out = fopen(path.c_str(), "wb")) {
            fwrite(&file, sizeof file, 1, out);
            fwrite(&info.bmiHeader, sizeof info.bmiHeader, 1, out);
            fwrite(bits, imageBytes, 1, out);
            fclose(out);
        }
        SelectObject(memory, old);
        DeleteObject(bitmap);
        DeleteDC(memory);
        ReleaseDC(nullptr, screen);
    }

    std::string program, output, failure;
    std::unique_ptr<ScriptedServer> server;
    std::unique_ptr<MemoryWatch> memory;
    SIZE_T lastPeak = 0;
    PROCESS_INFORMATION process = {};
    HWND form = nullptr;
};

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        fprintf(stderr, "usage: form_driver PROGRAM OUTPUT_FOLDER\n");
        return 2;
    }
    SetProcessDPIAware();  // sizes in real pixels, whatever the screen's scale
    CoInitialize(nullptr);
    PrepareDesktop(argv[2]);
    const std::string mode = argc > 3 ? argv[3] : "";
    std::vector<Scenario> chosen = Scenarios();
    const std::string fullName = argc > 4 ? FromHex(argv[4]) : "Jo Bloggs";
    if (mode == "--real-service") chosen = {RealService(fullName.c_str())};
    if (mode == "--refusing-program") chosen = {kRefusingProgram};
    if (mode == "--walk-through") chosen = {kWalkThrough};
    if (mode == "--one-submission") chosen = {kOneSubmission};
    if (mode == "--screen-scale") chosen = {kScreenScale};
    int passed = 0, failed = 0;
    for (const Scenario& scenario : chosen) {
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
