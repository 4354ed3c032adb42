#include "http/ProxySignIn.h"

#include <stddef.h>
#include <string.h>

#include "http/QueryBuffer.h"
#include "http/WinInet.h"
#include "rules/ProxySetting.h"

namespace {

// An option of the request (user or password), read whole.
bool ReadOption(const WinInetFunctions& net, HINTERNET request, DWORD option, QueryBuffer& value) {
    return value.Fill(
        [&](char* bytes, DWORD& size) { return net.InternetQueryOptionA(request, option, bytes, &size); });
}

void SetOption(const WinInetFunctions& net, HINTERNET request, DWORD option, const QueryBuffer& value) {
    net.InternetSetOptionA(request, option, value.Bytes(), static_cast<DWORD>(strlen(value.Bytes())));
}

}  // namespace

bool ProxyCredentials::ReadFrom(const WinInetFunctions& net, HINTERNET request) {
    return ReadOption(net, request, INTERNET_OPTION_PROXY_USERNAME, user) &&
           ReadOption(net, request, INTERNET_OPTION_PROXY_PASSWORD, password) && Given();
}

void ProxyCredentials::SetOn(const WinInetFunctions& net, HINTERNET request) const {
    if (!Given()) return;
    SetOption(net, request, INTERNET_OPTION_PROXY_USERNAME, user);
    SetOption(net, request, INTERNET_OPTION_PROXY_PASSWORD, password);
}

bool ProxyCredentials::AddBasicTo(const WinInetFunctions& net, HINTERNET request) const {
    static const char kName[] = "Proxy-Authorization: Basic ";
    const size_t plain = strlen(user.Bytes()) + 1 + strlen(password.Bytes());  // "user:password"
    const size_t encoded = (plain + 2) / 3 * 4;
    const size_t size = sizeof kName - 1 + encoded + 3;  // then "\r\n" and the terminator
    char* header = new char[size];
    memcpy(header, kName, sizeof kName - 1);
    const size_t length =
        EncodeBasicCredentials(user.Bytes(), password.Bytes(), header + sizeof kName - 1, encoded + 1);
    memcpy(header + sizeof kName - 1 + length, "\r\n", 3);
    const bool added = net.HttpAddRequestHeadersA(request, header, static_cast<DWORD>(-1), HTTP_ADDREQ_FLAG_ADD) != FALSE;
    SecureZeroMemory(header, size);
    delete[] header;
    return added;
}

bool OffersBasic(const WinInetFunctions& net, HINTERNET request) {
    for (DWORD index = 0;;) {
        const DWORD before = index;
        QueryBuffer way;
        const bool read = way.Fill([&](char* bytes, DWORD& size) {
            DWORD at = index;  // a query that finds the room short leaves it where it was, as Windows does
            const bool got = net.HttpQueryInfoA(request, HTTP_QUERY_PROXY_AUTHENTICATE, bytes, &size, &at) != FALSE;
            if (got) index = at;
            return got;
        });
        if (!read) return false;
        if (_strnicmp(way.Bytes(), "Basic", 5) == 0 && (way.Bytes()[5] == '\0' || way.Bytes()[5] == ' ')) return true;
        if (index == before) return false;  // no further challenge to ask for
    }
}
