#include <gtest/gtest.h>

#include <atomic>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "config/VendorUrls.h"
#include "form/CollectForm.h"
#include "form/DialogProcedure.h"
#include "resource.h"
#include "state/ProgramState.h"
#include "support/WindowProbe.h"

namespace {

using Pairs = std::vector<std::pair<std::string, std::string>>;

Pairs ListedPairs() {
    Pairs pairs;
    if (!fieldNames.First() || !fieldValues.First()) return pairs;
    bool moreNames = true, moreValues = true;
    while (moreNames && moreValues) {
        const char* name = fieldNames.Next(moreNames);
        const char* value = fieldValues.Next(moreValues);
        pairs.emplace_back(name, value);
    }
    return pairs;
}

// Answers the "Error" message boxes that CollectForm shows on this thread.
class ErrorBoxAnswerer {
public:
    ErrorBoxAnswerer() : worker([this] { Run(); }) {}
    ~ErrorBoxAnswerer() {
        stop = true;
        worker.join();
    }
    std::vector<std::string> Seen() {
        std::lock_guard<std::mutex> lock(guard);
        return seen;
    }
    void Forget() {
        std::lock_guard<std::mutex> lock(guard);
        seen.clear();
    }

private:
    void Run() {
        while (!stop) {
            if (HWND box = FindDialog(GetCurrentProcessId(), "Error")) {
                const std::string text = MessageBoxText(box);
                {
                    std::lock_guard<std::mutex> lock(guard);
                    seen.push_back(text);
                }
                DismissMessageBox(box);
                WaitUntil([&] { return !IsWindow(box) || !IsWindowVisible(box); }, 2000);
            }
            Sleep(10);
        }
    }
    std::atomic<bool> stop{false};
    std::mutex guard;
    std::vector<std::string> seen;
    std::thread worker;
};

class CollectFormTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        form = CreateDialogParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_DOWNLOAD_REQUEST), nullptr,
                                  DlgProc, 0);
        ASSERT_NE(nullptr, form);
    }
    static void TearDownTestSuite() { DestroyWindow(form); }

    // UTF-8 into the inputs as they hold it, UTF-16, whatever this program's code page.
    static void Fill(const std::string& email, const std::string& name, const std::string& phone) {
        const std::pair<int, const std::string*> inputs[] = {{IDC_EMAIL, &email}, {IDC_FULL_NAME, &name}, {IDC_PHONE, &phone}};
        for (const auto& input : inputs) {
            std::wstring wide(input.second->size() + 1, L'\0');
            MultiByteToWideChar(CP_UTF8, 0, input.second->c_str(), -1, &wide[0], static_cast<int>(wide.size()));
            SetDlgItemTextW(form, input.first, wide.c_str());
        }
    }

    static HWND form;
    ErrorBoxAnswerer answerer;
};
HWND CollectFormTest::form = nullptr;

Pairs SevenPairs(const std::string& email, const std::string& name, const std::string& phone) {
    return {{"EmailAddress", email}, {"EmailType", "2"},         {"rootURL", kRootUrl}, {"SelectProduct", "2"},
            {"HowReached", "Other"}, {"FullName", name}, {"Phone", phone}};
}

TEST_F(CollectFormTest, ValidatesAndFillsTheLists) {
    const std::string longText(300, 'x');
    const std::string cut = longText.substr(0, 255);
    struct Case {
        std::string email, name, phone;
        bool accepted;
        const char* message;  // shown on refusal
        int focus;            // the input to correct
        size_t pairs;         // left in the lists
    };
    const Case cases[] = {
        {"jo@example.com", "Jo Bloggs", "0123", true, nullptr, 0, 7},
        {"@.", " ", "", true, nullptr, 0, 7},
        {".@", "x", "", true, nullptr, 0, 7},
        {"jo@example", "Jo", "", false, "Please Provide a Valid Email.", IDC_EMAIL, 0},
        {"jo.example.com", "Jo", "", false, "Please Provide a Valid Email.", IDC_EMAIL, 0},
        {"", "", "", false, "Please Provide a Valid Email.", IDC_EMAIL, 0},
        {"jo@example.com", "", "5", false, "Please Provide Name.", IDC_FULL_NAME, 5},
        // Every character as typed, in UTF-8.
        {"zoë@exämple.com", "Łódź Ελένη Алёна 王小明 😀", "", true, nullptr, 0, 7},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE("email '" + c.email + "', name '" + c.name + "'");
        Fill(c.email, c.name, c.phone);
        answerer.Forget();
        EXPECT_EQ(c.accepted, CollectForm());
        const Pairs pairs = ListedPairs();
        ASSERT_EQ(c.pairs, pairs.size());
        if (c.accepted) {
            EXPECT_EQ(SevenPairs(c.email, c.name, c.phone), pairs);
            EXPECT_TRUE(answerer.Seen().empty());
            continue;
        }
        EXPECT_EQ(std::vector<std::string>{c.message}, answerer.Seen());
        EXPECT_EQ(GetDlgItem(form, c.focus), GetFocus());
        DWORD start = 1, end = 0;
        SendDlgItemMessageA(form, c.focus, EM_GETSEL, reinterpret_cast<WPARAM>(&start),
                            reinterpret_cast<LPARAM>(&end));
        EXPECT_EQ(0u, start);
        EXPECT_EQ(static_cast<DWORD>(GetWindowTextLengthA(GetDlgItem(form, c.focus))), end);
    }
}

// The inputs draw every script they take: the system's UI font, scalable and
// linked to fonts for other scripts, never the raster "MS Sans Serif" of one code page.
TEST_F(CollectFormTest, InputsDrawWithTheSystemsUiFont) {
    for (int input : {IDC_EMAIL, IDC_FULL_NAME, IDC_PHONE}) {
        const auto font = reinterpret_cast<HFONT>(SendDlgItemMessageW(form, input, WM_GETFONT, 0, 0));
        ASSERT_NE(nullptr, font) << input;
        LOGFONTW asked = {};
        GetObjectW(font, sizeof asked, &asked);
        HDC dc = GetDC(form);
        const HGDIOBJ old = SelectObject(dc, font);
        wchar_t face[LF_FACESIZE] = {};
        GetTextFaceW(dc, LF_FACESIZE, face);
        TEXTMETRICW metrics = {};
        GetTextMetricsW(dc, &metrics);
        SelectObject(dc, old);
        ReleaseDC(form, dc);
        for (const wchar_t* name : {asked.lfFaceName, face}) EXPECT_NE(0, _wcsicmp(L"MS Sans Serif", name)) << input;
        EXPECT_TRUE(metrics.tmPitchAndFamily & TMPF_TRUETYPE) << input << ": a raster font";
    }
}

std::string Repeated(const std::string& text, size_t times) {
    std::string repeated;
    while (times--) repeated += text;
    return repeated;
}

// Typing and pasting stop at 255 characters, and those are read whole: 255 kana
// take 765 bytes in UTF-8.
TEST_F(CollectFormTest, InputsTakeNoMoreThanIsRead) {
    const std::string pasted(10000, '7');  // digits, which the phone input takes too
    for (int input : {IDC_EMAIL, IDC_FULL_NAME, IDC_PHONE}) {
        SetDlgItemTextA(form, input, "");
        SendDlgItemMessageA(form, input, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(pasted.c_str()));
        EXPECT_EQ(255, GetWindowTextLengthW(GetDlgItem(form, input))) << input;
    }
    SetDlgItemTextA(form, IDC_EMAIL, "jo@example.com");
    SetDlgItemTextA(form, IDC_FULL_NAME, "");
    SendDlgItemMessageA(form, IDC_FULL_NAME, EM_REPLACESEL, TRUE,
                        reinterpret_cast<LPARAM>(Repeated("\xE3\x81\x82", 300).c_str()));
    ASSERT_TRUE(CollectForm());
    EXPECT_EQ(Repeated("\xE3\x81\x82", 255), ListedPairs()[5].second);
}

// Text another program sets is not held to the limit: it is read whole, up to
// what keeps the form within the service's bounds, and never cut inside a character.
TEST_F(CollectFormTest, RetryStartsFromEmptyListsAndSetTextIsReadWhole) {
    const std::string longText(300, 'y');
    Fill("a@b.c", "", "");
    EXPECT_FALSE(CollectForm());
    EXPECT_EQ(5u, ListedPairs().size());
    Fill("a@b.c" + longText, longText, longText);
    ASSERT_TRUE(CollectForm());
    EXPECT_EQ(SevenPairs("a@b.c" + longText, longText, longText), ListedPairs());

    const std::string mountains = Repeated("\xE5\xB1\xB1", 3000);  // 9000 bytes
    Fill("a@b.c", mountains, std::string(kInputBytes + 10, '5'));
    ASSERT_TRUE(CollectForm());
    EXPECT_EQ(SevenPairs("a@b.c", mountains.substr(0, kInputBytes / 3 * 3), std::string(kInputBytes, '5')),
              ListedPairs());
}

}  // namespace
