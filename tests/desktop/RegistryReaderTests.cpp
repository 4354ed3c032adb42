#include "desktop/RegistryReader.h"

#include <gtest/gtest.h>

#include <string>

#include "desktop/Browser.h"
#include "desktop/SystemErrorText.h"
#include "support/TestRegistry.h"

namespace {

const char kTestKey[] = "Software\\DownloadRequestTests";

class RegistryReaderTest : public ::testing::Test {
protected:
    void TearDown() override { RegDeleteTreeA(HKEY_CURRENT_USER, kTestKey); }
};

TEST_F(RegistryReaderTest, ReadsStringValuesOnly) {
    const char mismatch[] = "The type you specified mismatch with registry value type";
    SetEnvironmentVariableA("DR_TEST_BROWSERS", "C:\\Web Browsers");
    struct Case {
        const char* name;
        DWORD type;
        std::string stored;  // the bytes as stored, terminator included or not
        bool read;
        const char* result;  // the text read, or the message
        bool expand = false;  // as a browser's command is read
    };
    const Case cases[] = {
        {"plain", REG_SZ, std::string("C:\\cache\0", 9), true, "C:\\cache"},
        {"unterminated", REG_SZ, "abc", true, "abc"},
        {"empty with terminator", REG_SZ, std::string("\0", 1), true, ""},
        {"empty without terminator", REG_SZ, "", false, mismatch},
        {"expandable", REG_EXPAND_SZ, std::string("%TEMP%\0", 7), false, mismatch},
        {"number", REG_DWORD, std::string("\1\0\0\0", 4), false, mismatch},
        {"expandable command", REG_EXPAND_SZ, "\"%DR_TEST_BROWSERS%\\web.exe\" \"%1\"", true,
         "\"C:\\Web Browsers\\web.exe\" \"%1\"", true},
        {"plain command", REG_SZ, "%DR_TEST_BROWSERS%", true, "%DR_TEST_BROWSERS%", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SetRegistryValue(HKEY_CURRENT_USER, kTestKey, c.name, c.type, c.stored);
        RegistryReader reader;
        char* out = nullptr;
        EXPECT_EQ(c.read, reader.ReadText(out, HKEY_CURRENT_USER, kTestKey, c.name, c.expand));
        if (c.read) {
            ASSERT_NE(nullptr, out);
            EXPECT_STREQ(c.result, out);
            EXPECT_STREQ("", reader.Message());
        } else {
            EXPECT_EQ(nullptr, out);
            EXPECT_STREQ(c.result, reader.Message());
        }
        delete[] out;
    }
}

TEST_F(RegistryReaderTest, MissingKeysAndValuesCarryTheSystemText) {
    RegistryReader reader;
    char* out = nullptr;
    EXPECT_FALSE(reader.ReadText(out, HKEY_CURRENT_USER, "Software\\DownloadRequestTests\\Missing", "x"));
    EXPECT_STREQ(SystemErrorText(ERROR_FILE_NOT_FOUND).Data(), reader.Message());
    SetRegistryValue(HKEY_CURRENT_USER, kTestKey, "present", REG_SZ, std::string("v\0", 2));
    EXPECT_FALSE(reader.ReadText(out, HKEY_CURRENT_USER, kTestKey, "absent"));
    EXPECT_STREQ(SystemErrorText(ERROR_FILE_NOT_FOUND).Data(), reader.Message());
    EXPECT_EQ(nullptr, out);
    EXPECT_TRUE(reader.ReadText(out, HKEY_CURRENT_USER, kTestKey, "present"));
    EXPECT_STREQ(SystemErrorText(ERROR_FILE_NOT_FOUND).Data(), reader.Message());  // kept after a success
    delete[] out;
}

// The person's choice for the page's scheme wins over .htm's class, which is
// followed where there is no choice (Wine's prefix chooses its own browser).
TEST(FindBrowser, FollowsTheChoiceOrTheHtmClassToItsOpenCommand) {
    const char kChoice[] = "Software\\Microsoft\\Windows\\Shell\\Associations\\UrlAssociations\\http\\UserChoice";
    const char kSecureChoice[] = "Software\\Microsoft\\Windows\\Shell\\Associations\\UrlAssociations\\https\\UserChoice";
    const char kHtmChoice[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\FileExts\\.htm\\UserChoice";
    SavedRegistryValue choice(HKEY_CURRENT_USER, kChoice, "ProgId"), secureChoice(HKEY_CURRENT_USER, kSecureChoice, "ProgId");
    SavedRegistryValue htmChoice(HKEY_CURRENT_USER, kHtmChoice, "ProgId"), htm(HKEY_CLASSES_ROOT, ".htm", "");
    RegDeleteKeyA(HKEY_CURRENT_USER, kSecureChoice);
    RegDeleteKeyA(HKEY_CURRENT_USER, kHtmChoice);
    SetRegistryValue(HKEY_CURRENT_USER, kChoice, "ProgId", REG_SZ, std::string("DownloadRequestTests.chosen") + '\0');
    SetRegistryValue(HKEY_CLASSES_ROOT, "DownloadRequestTests.chosen\\shell\\open\\command", "", REG_SZ,
                     std::string("C:\\chosen.exe %1") + '\0');
    SetRegistryValue(HKEY_CLASSES_ROOT, ".htm", "", REG_SZ, std::string("DownloadRequestTests.page\\\0", 27));
    SetRegistryValue(HKEY_CLASSES_ROOT, "DownloadRequestTests.page\\shell\\open\\command", "", REG_SZ,
                     std::string("\"C:\\Web Browser\\web.exe\" -page \"%1\"") + '\0');
    char* path = nullptr;
    ASSERT_TRUE(FindBrowser(path, "http://www.example.com/"));
    EXPECT_STREQ("C:\\chosen.exe", path);
    ASSERT_TRUE(FindBrowser(path, "https://www.example.com/"));  // no choice for https here: .htm's class
    EXPECT_STREQ("C:\\Web Browser\\web.exe", path);
    RegDeleteTreeA(HKEY_CLASSES_ROOT, "DownloadRequestTests.page\\shell\\open\\command");
    ASSERT_TRUE(FindBrowser(path, "https://www.example.com/"));  // a class without a command: the shell's turn
    EXPECT_EQ(nullptr, path);
    RegDeleteTreeA(HKEY_CLASSES_ROOT, "DownloadRequestTests.page");
    RegDeleteTreeA(HKEY_CLASSES_ROOT, "DownloadRequestTests.chosen");
}

}  // namespace
