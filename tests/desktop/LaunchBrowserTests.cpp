#include "desktop/Browser.h"
#include "desktop/Platform.h"

#include <gtest/gtest.h>

#include <stdlib.h>

#include <algorithm>
#include <fstream>
#include <string>

#include "support/BesideThisProgram.h"
#include "support/TempFolder.h"
#include "support/TestRegistry.h"
#include "support/WindowProbe.h"

namespace {

// The recording browser's log: one line per start.
std::string WaitForRecord(const std::string& log) {
    std::string line;
    WaitUntil([&] {
        std::ifstream in(log);
        return static_cast<bool>(std::getline(in, line));
    }, 10000);
    return line;
}

// DR_EXPECT_PLATFORM=win98 when Wine reports Windows 98 to this program.
TEST(LaunchBrowser, StartsTheProgramOnThePageWithThePlatformsDesktop) {
    const char* expected = getenv("DR_EXPECT_PLATFORM");
    const bool win98 = expected && std::string(expected) == "win98";
    ASSERT_EQ(win98, IsNotNtPlatform());

    TempFolder folder;
    const std::string log = folder.Path() + "\\browser.log";
    SetEnvironmentVariableA("DR_BROWSER_LOG", log.c_str());
    ASSERT_TRUE(LaunchBrowser(BesideThisProgram("fake_browser.exe").c_str(), "http://www.example.com/page"));
    const std::string record = WaitForRecord(log);
    const std::string desktop = win98 ? "(none)" : "WinSta0\\Default";
    EXPECT_EQ("http://www.example.com/page|" + desktop + "| http://www.example.com/page|fake_browser.exe", record);

    EXPECT_FALSE(LaunchBrowser(BesideThisProgram("no_such_browser.exe").c_str(), "http://www.example.com/"));
    EXPECT_FALSE(LaunchBrowser("", "http://www.example.com/"));
}

// The worker's thank-you page and the form's home page never both open.
TEST(OpenPage, OpensOnePageARun) {
    const char kChoice[] = "Software\\Microsoft\\Windows\\Shell\\Associations\\UrlAssociations\\http\\UserChoice";
    SavedRegistryValue choice(HKEY_CURRENT_USER, kChoice, "ProgId");
    SetRegistryValue(HKEY_CURRENT_USER, kChoice, "ProgId", REG_SZ, std::string("DownloadRequestTests.launch") + '\0');
    SetRegistryValue(HKEY_CLASSES_ROOT, "DownloadRequestTests.launch\\shell\\open\\command", "", REG_SZ,
                     "\"" + BesideThisProgram("fake_browser.exe") + "\" \"%1\"" + '\0');
    TempFolder folder;
    const std::string log = folder.Path() + "\\browser.log";
    SetEnvironmentVariableA("DR_BROWSER_LOG", log.c_str());
    EXPECT_TRUE(OpenPage("http://www.example.com/thanks"));
    EXPECT_FALSE(OpenPage("http://www.example.com/"));
    EXPECT_EQ(0u, WaitForRecord(log).find("http://www.example.com/thanks|"));
    std::ifstream in(log);
    EXPECT_EQ(1, std::count(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>(), '\n'));
    RegDeleteTreeA(HKEY_CLASSES_ROOT, "DownloadRequestTests.launch");
}

}  // namespace
