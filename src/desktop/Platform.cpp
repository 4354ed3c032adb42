#include "desktop/Platform.h"

#include <windows.h>

#include <stdint.h>
#include <string.h>

#include "rules/Characters.h"

bool IsNotNtPlatform() {
    OSVERSIONINFOA version = {};
    version.dwOSVersionInfoSize = sizeof version;
    GetVersionExA(&version);
    return version.dwPlatformId != VER_PLATFORM_WIN32_NT;
}

uint32_t FormCodePage() { return IsNotNtPlatform() ? GetACP() : CP_UTF8; }

CodePageLayout FormCodePageLayout() {
    CodePageLayout layout;
    const UINT codePage = FormCodePage();
    layout.utf8 = codePage == CP_UTF8;
    CPINFO info;
    if (!layout.utf8 && GetCPInfo(codePage, &info)) {
        memcpy(layout.leadByteRanges, info.LeadByte, sizeof layout.leadByteRanges);
    }
    return layout;
}
