#include "form/AnsiCodePage.h"

#include <windows.h>

#include <string.h>

#include "form/Characters.h"

CodePageLayout AnsiCodePage() {
    CodePageLayout layout;
    const UINT codePage = GetACP();
    layout.utf8 = codePage == CP_UTF8;
    CPINFO info;
    if (!layout.utf8 && GetCPInfo(codePage, &info)) {
        memcpy(layout.leadByteRanges, info.LeadByte, sizeof layout.leadByteRanges);
    }
    return layout;
}
