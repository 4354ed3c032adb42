#include "http/PostExchange.h"

#include <stdint.h>
#include <stdlib.h>
#include <string.h>

#include "core/Text.h"
#include "core/TextList.h"
#include "desktop/Platform.h"
#include "desktop/SystemErrorText.h"
#include "http/ScratchFile.h"
#include "http/WinInet.h"
#include "rules/Charset.h"
#include "rules/FormBody.h"
#include "rules/ProxySetting.h"
#include "rules/SplitUrl.h"

namespace {

const int32_t kReadSize = 1024;                // reads in a loop when no usable length is announced
const int32_t kLargestWholeBody = 1024 * 1024;  // a larger announced length is read in a loop too
// A longer number is no length read whole (it is larger than kLargestWholeBody,
// leading zeros aside), and atol cannot overflow on it.
const size_t kMostLengthDigits = 8;
const char kSendFailed[] = "Error Sending the Information to Server.";
const char kNoAnswer[] = "Error Opening Response Page";
const int kSignInRounds = 3;  // dialogs for one proxy's sign-in, wrong passwords included

// A silent service ends the exchange with the failing step's message. Set on
// the root handle, which the others inherit on Windows, and on the request,
// which is where Wine takes them from.
void LimitWaits(const WinInetFunctions& net, HINTERNET handle, DWORD timeoutMs) {
    static const DWORD kWaits[] = {INTERNET_OPTION_CONNECT_TIMEOUT, INTERNET_OPTION_SEND_TIMEOUT,
                                   INTERNET_OPTION_RECEIVE_TIMEOUT};
    for (const DWORD option : kWaits) net.InternetSetOptionA(handle, option, &timeoutMs, sizeof timeoutMs);
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
    bool secureOnly = false;  // https: only a request sent over TLS carries the form
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

// The pieces of a message, one after another.
Text Joined(const char* first, const char* second, const char* third = "", const char* fourth = "") {
    char text[1025];  // the most wsprintfA writes
    wsprintfA(text, "%.255s%.255s%.255s%.255s", first, second, third, fourth);
    return Text(text);
}

// The described message, then what the system says of the cause.
Text WithCause(const char* message, DWORD code) {
    const WinInetFunctions* net = WinInet();
    return Joined(message, message[strlen(message) - 1] == '.' ? " " : ". ",
                  SystemErrorText(code, net ? net->module : nullptr).Data());
}

// A failed send, said where the fault lies: the answer's, once the request went;
// the proxy's, when not even a connection to it came about.
Text SendFailure(const SendProgress& progress, const Text& proxy, DWORD code) {
    if (progress.formSent) return WithCause(kNoAnswer, code);
    if (progress.connecting && !progress.connected && !proxy.IsEmpty()) {
        return WithCause(Joined("Error Connecting to the Proxy Server ", proxy.Data(), ".").Data(), code);
    }
    return WithCause(kSendFailed, code);
}

// A proxy's 407 that ends the exchange: no sign-in given, or none it took.
Text SignInRefusal(const Text& proxy, bool given) {
    return Joined("The Proxy Server ", proxy.Data(), proxy.IsEmpty() ? "" : " ",
                  given ? "Did Not Accept the Sign-In (Status 407)." : "Asks for a Sign-In, and None Was Given (Status 407).");
}

// The user and password the person gave the system's sign-in dialog, read back
// from the request it answered, for the request that follows. Written nowhere;
// wiped when it goes.
struct ProxyCredentials {
    char user[256] = {};
    char password[256] = {};

    ProxyCredentials() = default;
    ~ProxyCredentials() {
        SecureZeroMemory(user, sizeof user);
        SecureZeroMemory(password, sizeof password);
    }
    ProxyCredentials(const ProxyCredentials&) = delete;
    ProxyCredentials& operator=(const ProxyCredentials&) = delete;

    bool Given() const { return *user != '\0'; }
    bool ReadFrom(const WinInetFunctions& net, HINTERNET request) {
        DWORD userSize = sizeof user - 1, passwordSize = sizeof password - 1;
        return net.InternetQueryOptionA(request, INTERNET_OPTION_PROXY_USERNAME, user, &userSize) &&
               net.InternetQueryOptionA(request, INTERNET_OPTION_PROXY_PASSWORD, password, &passwordSize) && Given();
    }
    void SetOn(const WinInetFunctions& net, HINTERNET request) const {
        if (!Given()) return;
        net.InternetSetOptionA(request, INTERNET_OPTION_PROXY_USERNAME, const_cast<char*>(user),
                               static_cast<DWORD>(strlen(user)));
        net.InternetSetOptionA(request, INTERNET_OPTION_PROXY_PASSWORD, const_cast<char*>(password),
                               static_cast<DWORD>(strlen(password)));
    }
};

// A request of the exchange, every round the same but for what the person gave
// the sign-in dialog: the flags, the status callback, the waits.
HINTERNET OpenRequest(const WinInetFunctions& net, HINTERNET connection, const char* verb, const Text& path,
                      int32_t scheme, SendProgress& progress, const ProxyCredentials& credentials, DWORD timeoutMs) {
    HINTERNET request = net.HttpOpenRequestA(connection, verb, path.Data(), nullptr, nullptr, nullptr,
                                             scheme == kSchemeHttps ? kHttpsRequestFlags : kHttpRequestFlags,
                                             reinterpret_cast<DWORD_PTR>(&progress));
    if (!request) return nullptr;
    net.InternetSetStatusCallbackA(request, TrackSend);
    LimitWaits(net, request, timeoutMs);
    credentials.SetOn(net, request);
    return request;
}

// A proxy that took Basic sign-in gets it with the form, which so never goes to
// it unsigned (one that refuses may reset the connection before reading it).
bool AddBasicSignIn(const WinInetFunctions& net, HINTERNET request, const ProxyCredentials& credentials) {
    char header[1024] = "Proxy-Authorization: Basic ";
    const size_t start = strlen(header);
    const size_t length = EncodeBasicCredentials(credentials.user, credentials.password, header + start,
                                                 sizeof header - start - 3);
    memcpy(header + start + length, "\r\n", 3);
    const bool added = net.HttpAddRequestHeadersA(request, header, static_cast<DWORD>(-1), HTTP_ADDREQ_FLAG_ADD) != FALSE;
    SecureZeroMemory(header, sizeof header);
    return added;
}

// Whether a proxy's 407 offers Basic sign-in among its ways.
bool OffersBasic(const WinInetFunctions& net, HINTERNET request) {
    char way[64];
    for (DWORD index = 0;;) {
        DWORD size = sizeof way;
        if (!net.HttpQueryInfoA(request, HTTP_QUERY_PROXY_AUTHENTICATE, way, &size, &index)) return false;
        if (_strnicmp(way, "Basic", 5) == 0) return true;
    }
}

// Whether the answer is HTTP/1.x: a status line, then headers. WinInet takes
// bytes without a status line for an HTTP/0.9 answer with status 200 (Wine
// calls it HTTP/1.0 and gives it no headers); every real answer has some.
bool IsHttp1Answer(const WinInetFunctions& net, HINTERNET request) {
    char raw[256] = {};  // more than any status line: headers that do not fit are headers
    DWORD size = sizeof raw - 1;
    if (!net.HttpQueryInfoA(request, HTTP_QUERY_RAW_HEADERS_CRLF, raw, &size, nullptr)) {
        return GetLastError() == ERROR_INSUFFICIENT_BUFFER;
    }
    const char* statusEnd = strstr(raw, "\r\n");
    return strncmp(raw, "HTTP/1.", 7) == 0 && statusEnd && statusEnd[2] != '\r' && statusEnd[2] != '\0';
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

Text PostExchange::SendForm(HINTERNET request, DWORD& failedCode) {
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
    if (net.HttpSendRequestA(request, nullptr, 0, const_cast<char*>(body.Data()), static_cast<DWORD>(body.Length()))) {
        return Text();
    }
    failedCode = GetLastError();
    return WithCause(kSendFailed, failedCode);
}

Text PostExchange::Post(const Text& url) {
    Text host, path;
    int32_t port = 0, scheme = kSchemeHttp;
    if (!SplitUrl(url.Data(), host, path, port, scheme)) {
        return Text("URL parsing failure");
    }

    const WinInetFunctions* net = WinInet();
    if (!net) {
        return Text("Error Connecting to the Net");  // no WinInet on this system
    }
    SendProgress progress;  // outlives the handles: their closing reports to it
    ProxyCredentials credentials;
    Exchange exchange(*net);
    // The system's proxy settings, as the browser follows them; without any, straight to the service.
    // The agent name is "HTTP" or "HTTPS" on purpose, no product name: what the service has always seen.
    exchange.root = net->InternetOpenA(scheme == kSchemeHttps ? "HTTPS" : "HTTP", INTERNET_OPEN_TYPE_PRECONFIG,
                                       nullptr, nullptr, 0);
    if (exchange.root) {
        LimitWaits(*net, exchange.root, timeoutMs);
        exchange.connection = net->InternetConnectA(exchange.root, host.Data(), static_cast<INTERNET_PORT>(port),
                                                    nullptr, nullptr, INTERNET_SERVICE_HTTP, 0, 0);
    }
    if (!exchange.connection) {
        return WithCause("Error Connecting to the Net", GetLastError());
    }
    const Text proxy = ConfiguredProxy(*net, exchange.root, scheme);
    // Over http the form would go to a proxy that asks for a sign-in, and one may
    // reset the connection before reading it: the proxy first hears a request
    // without the form (OPTIONS; one that asks no sign-in passes it to the
    // service). Over https it only ever sees the tunnel's opening, never the form.
    bool probing = scheme == kSchemeHttp && !proxy.IsEmpty();
    bool basic = false;
    int rounds = 0;
    DWORD status = 0;
    for (;;) {
        // Each round a fresh request, with what the person gave: resent on the
        // same one, the form would go in clear to a proxy whose tunnel was refused.
        progress = SendProgress{scheme == kSchemeHttps};
        exchange.CloseOne(exchange.request);
        exchange.request = OpenRequest(*net, exchange.connection, probing ? "OPTIONS" : "POST", path, scheme, progress,
                                       credentials, timeoutMs);
        if (!exchange.request) {
            return WithCause("Error Sending request to the server", GetLastError());
        }
        DWORD failedCode = ERROR_SUCCESS;
        if (probing) {
            if (!net->HttpSendRequestA(exchange.request, nullptr, 0, nullptr, 0)) failedCode = GetLastError();
        } else if (basic && credentials.Given() && !AddBasicSignIn(*net, exchange.request, credentials)) {
            failedCode = GetLastError();
        } else {
            const Text failure = SendForm(exchange.request, failedCode);
            if (!failure.IsEmpty() && failedCode == ERROR_SUCCESS) return failure;  // the header would not go
        }
        if (failedCode != ERROR_SUCCESS) {
            return SendFailure(progress, proxy, failedCode);
        }
        DWORD size = sizeof status;
        // A reply without a status line (a dropped connection, a timeout) counts as no reply.
        if (!net->HttpQueryInfoA(exchange.request, HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &status, &size,
                                 nullptr) ||
            status == 0) {
            return Text(kNoAnswer);
        }
        if (status != HTTP_STATUS_PROXY_AUTH_REQ) {
            if (!probing) break;
            probing = false;  // the proxy let it by: now the form
            continue;
        }
        basic = OffersBasic(*net, exchange.request);
        if (rounds++ == kSignInRounds) {
            return SignInRefusal(proxy, true);
        }
        // The system's own dialog, owned by the form; Windows answers Cancel
        // with ERROR_CANCELLED, Wine with 0.
        if (net->InternetErrorDlg(signInOwner, exchange.request, ERROR_INTERNET_INCORRECT_PASSWORD,
                                  FLAGS_ERROR_UI_FLAGS_GENERATE_DATA | FLAGS_ERROR_UI_FLAGS_CHANGE_OPTIONS,
                                  nullptr) != ERROR_INTERNET_FORCE_RETRY ||
            !credentials.ReadFrom(*net, exchange.request)) {
            return SignInRefusal(proxy, rounds > 1);
        }
    }
    if (progress.secureOnly && !IsSecure(*net, exchange.request)) {
        // The proxy answered for a tunnel that never carried the form.
        char refusal[120];
        wsprintfA(refusal, "%s The proxy refused the way to the server (status %lu).", kSendFailed, status);
        return Text(refusal);
    }
    if (!IsHttp1Answer(*net, exchange.request)) {
        return Text(kNoAnswer);
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

    if (!bodyRead) return SystemErrorText(readError, net->module);  // the code of the failed read, not of the closing
    return status < 200 || status > 299 ? StatusRefusal(status) : Text();  // a refusal is not a success
}
