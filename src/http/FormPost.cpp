#include "http/FormPost.h"

#include <stdint.h>
#include <stdlib.h>
#include <string.h>

#include "core/Text.h"
#include "core/TextList.h"
#include "desktop/Platform.h"
#include "desktop/SystemErrorText.h"
#include "http/Charset.h"
#include "http/FormBody.h"
#include "http/ProxySetting.h"
#include "http/ScratchFile.h"
#include "http/SplitUrl.h"
#include "http/WinInet.h"

namespace {

const int32_t kReadSize = 1024;                // reads in a loop when no usable length is announced
const int32_t kLargestWholeBody = 1024 * 1024;  // a larger announced length is read in a loop too
// A longer number is no length read whole (it is larger than kLargestWholeBody,
// leading zeros aside), and atol cannot overflow on it.
const size_t kMostLengthDigits = 8;
const char kSendFailed[] = "Error Sending the Information to Server.";
const char kNoAnswer[] = "Error Opening Response Page";
const char kProxySignIn[] = "The Proxy Server Asks for a Sign-In This Program Cannot Give (Status 407).";

// A silent service ends the exchange with the failing step's message. Set on
// the root handle, which the others inherit on Windows, and on the request,
// which is where Wine takes them from.
void LimitWaits(const WinInetFunctions& net, HINTERNET handle) {
    static const DWORD kWaits[] = {INTERNET_OPTION_CONNECT_TIMEOUT, INTERNET_OPTION_SEND_TIMEOUT,
                                   INTERNET_OPTION_RECEIVE_TIMEOUT};
    for (const DWORD option : kWaits) net.InternetSetOptionA(handle, option, &exchangeTimeoutMs, sizeof exchangeTimeoutMs);
}

bool IsSecure(const WinInetFunctions& net, HINTERNET request) {
    DWORD flags = 0;
    DWORD size = sizeof flags;
    return net.InternetQueryOptionA(request, INTERNET_OPTION_SECURITY_FLAGS, &flags, &size) &&
           (flags & SECURITY_FLAG_SECURE) != 0;
}

// How far the one send got, as WinInet's status callbacks tell it on the
// sending thread.
struct SendProgress {
    bool secureOnly;  // https: only a request sent over TLS carries the form
    bool connecting = false;
    bool connected = false;
    bool formSent = false;  // a failure after this is the answer's
};

void CALLBACK TrackSend(HINTERNET request, DWORD_PTR context, DWORD status, LPVOID, DWORD) {
    SendProgress& progress = *reinterpret_cast<SendProgress*>(context);  // NOLINT(performance-no-int-to-ptr)
    switch (status) {
    case INTERNET_STATUS_RESOLVING_NAME:
    case INTERNET_STATUS_CONNECTING_TO_SERVER:
        progress.connecting = true;
        break;
    case INTERNET_STATUS_CONNECTED_TO_SERVER:
        progress.connected = true;
        break;
    case INTERNET_STATUS_REQUEST_SENT:
        // Through a proxy the tunnel's CONNECT goes first, in clear, without the form.
        if (!progress.secureOnly || IsSecure(*WinInet(), request)) progress.formSent = true;
        break;
    default:
        break;
    }
}

// The three WinInet handles of one exchange, closed in this order on every
// path: by the destructor on the way out, or earlier by Close(). The root goes
// first on purpose, the order the program has always kept: closing a handle
// ends its children, and closing them after that is harmless.
struct Exchange {
    const WinInetFunctions& net;
    HINTERNET root = nullptr;
    HINTERNET connection = nullptr;
    HINTERNET request = nullptr;

    explicit Exchange(const WinInetFunctions& net) : net(net) {}
    ~Exchange() { Close(); }
    Exchange(const Exchange&) = delete;
    Exchange& operator=(const Exchange&) = delete;
    void Close() {
        CloseOne(root);
        CloseOne(connection);
        CloseOne(request);
    }
    void CloseOne(HINTERNET& handle) {
        if (handle) net.InternetCloseHandle(handle);
        handle = nullptr;
    }
};

// The proxy the system's settings name for this scheme, or the empty text.
Text ConfiguredProxy(const WinInetFunctions& net, HINTERNET root, int32_t scheme) {
    alignas(INTERNET_PROXY_INFO) char buffer[1024] = {};  // the structure, then the strings it points at
    const auto* proxy = reinterpret_cast<const INTERNET_PROXY_INFO*>(buffer);  // narrow: built without UNICODE
    DWORD size = sizeof buffer;
    if (!net.InternetQueryOptionA(root, INTERNET_OPTION_PROXY, buffer, &size) ||
        proxy->dwAccessType == INTERNET_OPEN_TYPE_DIRECT || !proxy->lpszProxy) {
        return Text();
    }
    return ProxyForScheme(proxy->lpszProxy, scheme);
}

// A failed send, said where the fault lies: the answer's, once the form went;
// the proxy's, when not even a connection to it came about.
Text SendFailure(const Exchange& exchange, const SendProgress& progress, int32_t scheme, const Text& sendError) {
    if (progress.formSent) return Text(kNoAnswer);
    if (progress.connecting && !progress.connected) {
        const Text proxy = ConfiguredProxy(exchange.net, exchange.root, scheme);
        if (!proxy.IsEmpty()) return Text("Error Connecting to the Proxy Server ") + proxy + ".";
    }
    return sendError;
}

// Whether the answer is HTTP/1.x: a status line, then headers. WinInet takes
// bytes without a status line for an HTTP/0.9 answer with status 200 (Wine
// calls it HTTP/1.0 and gives it no headers); every real answer has some.
bool IsHttp1Answer(const WinInetFunctions& net, HINTERNET request) {
    char version[16] = {};
    DWORD size = sizeof version;
    if (!net.HttpQueryInfoA(request, HTTP_QUERY_VERSION, version, &size, nullptr) || strncmp(version, "HTTP/1.", 7) != 0) {
        return false;
    }
    char raw[256] = {};  // more than any status line: headers that do not fit are headers
    size = sizeof raw - 1;
    if (!net.HttpQueryInfoA(request, HTTP_QUERY_RAW_HEADERS_CRLF, raw, &size, nullptr)) {
        return GetLastError() == ERROR_INSUFFICIENT_BUFFER;
    }
    const char* statusEnd = strstr(raw, "\r\n");
    return statusEnd && statusEnd[2] != '\r' && statusEnd[2] != '\0';
}

// The announced Content-Length when it is a plain decimal number the program
// will take in one read; otherwise -1, and the body is read in a loop.
int32_t UsableContentLength(const WinInetFunctions& net, HINTERNET request) {
    char text[32] = {};
    DWORD size = sizeof text;
    if (!net.HttpQueryInfoA(request, HTTP_QUERY_CONTENT_LENGTH, text, &size, nullptr)) return -1;
    const char* digits = text;
    while (*digits == ' ' || *digits == '\t') ++digits;
    const size_t count = strspn(digits, "0123456789");
    if (count == 0 || count > kMostLengthDigits || digits[count] != '\0') return -1;
    const long length = atol(digits);
    return length <= kLargestWholeBody ? static_cast<int32_t>(length) : -1;
}

// Reads the whole body, at most kLargestBody of it, handing each piece to
// `sink` when there is one. Returns whether the last read succeeded;
// `lastError` is its error code.
bool ReadBody(const WinInetFunctions& net, HINTERNET request, int32_t announced, ScratchFile* sink,
              DWORD& lastError) {
    const bool wholeBody = announced >= 0;
    const int32_t chunk = wholeBody ? announced : kReadSize;
    char* buffer = new char[static_cast<size_t>(chunk) + 1];
    bool succeeded = false;
    long total = 0;
    bool more = true;
    while (more) {
        DWORD got = 0;
        succeeded = net.InternetReadFile(request, buffer, static_cast<DWORD>(chunk), &got) != FALSE;
        lastError = succeeded ? ERROR_SUCCESS : GetLastError();
        if (succeeded && got > 0 && sink) {
            buffer[got] = '\0';
            sink->Write(buffer);
        }
        total += static_cast<long>(got);
        more = !wholeBody && succeeded && static_cast<int32_t>(got) == chunk && total < kLargestBody;
    }
    delete[] buffer;
    return succeeded;
}

Text StatusRefusal(DWORD status) {
    char text[80];
    wsprintfA(text, "The Server Could Not Accept the Information (Status %lu).", status);
    return Text(text);
}

}  // namespace

DWORD exchangeTimeoutMs = 30000;

Text FormPost::Send(HINTERNET request) {
    const WinInetFunctions& net = *WinInet();  // resolved by Post before it made the request
    // The service decodes the bytes by the code page named here.
    Text contentType("Content-Type: application/x-www-form-urlencoded");
    const Text charset = CharsetName(FormCodePage());
    if (!charset.IsEmpty()) contentType = contentType + "; charset=" + charset;
    contentType.Append("\r\n");
    if (!net.HttpAddRequestHeadersA(request, contentType.Data(), static_cast<DWORD>(-1), 0)) {
        return SystemErrorText(GetLastError(), net.module);
    }

    // The whole body in the one call that also ends the request: so WinInet
    // sends it only once the connection is secure, also through a proxy's tunnel.
    TextList pieces;
    BuildFormBody(names, values, pieces);
    Text body;
    for (bool more = pieces.First(); more;) body.Append(pieces.Next(more));
    body.Append(FormTrailer());
    const bool sent = net.HttpSendRequestA(request, nullptr, 0, const_cast<char*>(body.Data()),
                                           static_cast<DWORD>(body.Length())) != FALSE;
    return sent ? Text() : Text(kSendFailed);
}

int FormPost::Post(const Text& url, Text& error) {
    Text host, path;
    int32_t port = 0, scheme = kSchemeHttp;
    if (!SplitUrl(url.Data(), host, path, port, scheme)) {
        error = "URL parsing failure";
        return 0;
    }

    const WinInetFunctions* net = WinInet();
    if (!net) {
        error = "Error Connecting to the Net";  // no WinInet on this system
        return 0;
    }
    SendProgress progress{scheme == kSchemeHttps};  // outlives the handles: their closing reports to it
    Exchange exchange(*net);
    // The system's proxy settings, as the browser follows them; without any, straight to the service.
    // The agent name is "HTTP" or "HTTPS" on purpose, no product name: what the service has always seen.
    exchange.root = net->InternetOpenA(scheme == kSchemeHttps ? "HTTPS" : "HTTP", INTERNET_OPEN_TYPE_PRECONFIG,
                                       nullptr, nullptr, 0);
    if (exchange.root) {
        LimitWaits(*net, exchange.root);
        exchange.connection = net->InternetConnectA(exchange.root, host.Data(), static_cast<INTERNET_PORT>(port),
                                                    nullptr, nullptr, INTERNET_SERVICE_HTTP, 0, 0);
    }
    if (!exchange.connection) {
        error = "Error Connecting to the Net";
        return 0;
    }
    exchange.request = net->HttpOpenRequestA(exchange.connection, "POST", path.Data(), nullptr, nullptr, nullptr,
                                             scheme == kSchemeHttps ? kHttpsRequestFlags : kHttpRequestFlags,
                                             reinterpret_cast<DWORD_PTR>(&progress));
    if (!exchange.request) {
        error = "Error Sending request to the server";
        return 0;
    }
    net->InternetSetStatusCallbackA(exchange.request, TrackSend);
    LimitWaits(*net, exchange.request);

    const Text sendError = Send(exchange.request);
    if (!sendError.IsEmpty()) {
        error = SendFailure(exchange, progress, scheme, sendError);
        return 0;
    }

    DWORD status = 0;
    DWORD size = sizeof status;
    // A reply without a status line (a dropped connection, a timeout) counts as no reply.
    if (!net->HttpQueryInfoA(exchange.request, HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &status, &size,
                             nullptr) ||
        status == 0) {
        error = kNoAnswer;
        return 0;
    }
    if (status == HTTP_STATUS_PROXY_AUTH_REQ) {
        error = kProxySignIn;  // the program has no password to give, and asks the user for none
        return 0;
    }
    if (progress.secureOnly && !IsSecure(*net, exchange.request)) {
        error = kSendFailed;  // the proxy answered for a tunnel that never carried the form
        return 0;
    }
    if (!IsHttp1Answer(*net, exchange.request)) {
        error = kNoAnswer;
        return 0;
    }

    const int32_t announced = UsableContentLength(*net, exchange.request);
    DWORD readError = ERROR_SUCCESS;
    bool bodyRead;
    if (status == 200) {
        scratch.Open(cacheFolder);
        bodyRead = ReadBody(*net, exchange.request, announced, &scratch, readError);
        scratch.Close();
    } else {
        bodyRead = ReadBody(*net, exchange.request, announced, nullptr, readError);
    }
    exchange.Close();

    if (!bodyRead) {
        error = SystemErrorText(readError, net->module);  // the code of the failed read, not of the closing
        return 0;
    }
    if (status < 200 || status > 299) {
        error = StatusRefusal(status);  // a refusal is not a success
        return 0;
    }
    return status == 200 ? 1 : 0;
}
