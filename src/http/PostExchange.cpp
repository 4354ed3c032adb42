#include "http/PostExchange.h"

#include <stdint.h>
#include <stdlib.h>
#include <string.h>

#include "core/Text.h"
#include "core/TextList.h"
#include "desktop/Platform.h"
#include "desktop/SystemErrorText.h"
#include "http/Deadline.h"
#include "http/ProxySignIn.h"
#include "http/QueryBuffer.h"
#include "http/ScratchFile.h"
#include "http/Sending.h"
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

// The exchange's hold on the sending of its current request.
class CurrentSending {
public:
    CurrentSending() = default;
    ~CurrentSending() { Drop(); }
    CurrentSending(const CurrentSending&) = delete;
    CurrentSending& operator=(const CurrentSending&) = delete;

    Sending& Next(bool secureOnly, bool probe) {
        Drop();
        sending = new Sending(secureOnly, probe);
        return *sending;
    }

private:
    void Drop() {
        if (sending) sending->Release();
        sending = nullptr;
    }
    Sending* sending = nullptr;
};

// The proxy the system's settings name for this scheme, or the empty text.
Text ConfiguredProxy(const WinInetFunctions& net, HINTERNET root, int32_t scheme) {
    QueryBuffer setting;  // the structure, then the strings it points at (a bypass list may be long)
    if (!setting.Fill([&](char* bytes, DWORD& size) {
            return net.InternetQueryOptionA(root, INTERNET_OPTION_PROXY, bytes, &size);
        })) {
        return Text();
    }
    const auto* proxy = reinterpret_cast<const INTERNET_PROXY_INFO*>(setting.Bytes());  // narrow: built without UNICODE
    if (proxy->dwAccessType == INTERNET_OPEN_TYPE_DIRECT || !proxy->lpszProxy) return Text();
    return ProxyForScheme(proxy->lpszProxy, scheme);
}

// A header of the answer, read whole however long the peer made it; false when it has none.
bool QueryHeader(const WinInetFunctions& net, HINTERNET request, DWORD header, QueryBuffer& value) {
    return value.Fill(
        [&](char* bytes, DWORD& size) { return net.HttpQueryInfoA(request, header, bytes, &size, nullptr); });
}

// The described message, then what the system says of the cause.
Text WithCause(const Text& message, DWORD code) {
    const WinInetFunctions* net = WinInet();
    return message + (message.CharAt(message.Length() - 1) == '.' ? " " : ". ") +
           SystemErrorText(code, net ? net->module : nullptr);
}

// A failed send, said where the fault lies: the answer's, once the request went;
// the proxy's, when not even a connection to it came about.
Text SendFailure(const SendProgress& progress, const Text& proxy, DWORD code) {
    if (progress.formSent) return WithCause(kNoAnswer, code);
    if (progress.connecting && !progress.connected && !proxy.IsEmpty()) {
        return WithCause(Text("Error Connecting to the Proxy Server ") + proxy + ".", code);
    }
    return WithCause(kSendFailed, code);
}

// A proxy's 407 that ends the exchange: no sign-in given, or none it took.
Text SignInRefusal(const Text& proxy, bool given) {
    return Text("The Proxy Server ") + proxy + (proxy.IsEmpty() ? "" : " ") +
           (given ? "Did Not Accept the Sign-In (Status 407)." : "Asks for a Sign-In, and None Was Given (Status 407).");
}

Text StatusRefusal(DWORD status) {
    return Text("The Server Could Not Accept the Information (Status ") + DecimalText(status) + ").";
}

bool IsRefusal(DWORD status) { return status < 200 || status > 299; }

// A request of the exchange, every round the same but for what the person gave
// the sign-in dialog: the flags, the status callback, the waits.
HINTERNET OpenRequest(const WinInetFunctions& net, HINTERNET connection, const char* verb, const Text& path,
                      int32_t scheme, Sending& sending, const ProxyCredentials& credentials, DWORD timeoutMs) {
    HINTERNET request = net.HttpOpenRequestA(connection, verb, path.Data(), nullptr, nullptr, nullptr,
                                             scheme == kSchemeHttps ? kHttpsRequestFlags : kHttpRequestFlags,
                                             sending.Context());
    if (!request) return nullptr;
    net.InternetSetStatusCallbackA(request, Sending::Track);
    LimitWaits(net, request, timeoutMs);
    credentials.SetOn(net, request);
    return request;
}

// Whether the answer is HTTP/1.x: a status line, then headers. WinInet takes
// bytes without a status line for an HTTP/0.9 answer with status 200 (Wine
// calls it HTTP/1.0 and gives it no headers); every real answer has some.
bool IsHttp1Answer(const WinInetFunctions& net, HINTERNET request) {
    QueryBuffer raw;
    if (!QueryHeader(net, request, HTTP_QUERY_RAW_HEADERS_CRLF, raw)) return false;
    const char* statusEnd = strstr(raw.Bytes(), "\r\n");
    return strncmp(raw.Bytes(), "HTTP/1.", 7) == 0 && statusEnd && statusEnd[2] != '\r' && statusEnd[2] != '\0';
}

// The announced Content-Length when it is a plain decimal number the program
// will take in one read; otherwise -1, and the body is read in a loop.
int32_t UsableContentLength(const WinInetFunctions& net, HINTERNET request) {
    QueryBuffer text;
    if (!QueryHeader(net, request, HTTP_QUERY_CONTENT_LENGTH, text)) return -1;
    const char* digits = text.Bytes();
    while (*digits == ' ' || *digits == '\t') ++digits;
    const size_t count = strspn(digits, "0123456789");
    if (count == 0 || count > kMostLengthDigits || digits[count] != '\0') return -1;
    const long length = atol(digits);
    return length <= kLargestWholeBody ? static_cast<int32_t>(length) : -1;
}

// One read of up to `size` bytes, as WinInet's own read takes them (all of them,
// unless the body ends first), but piece by piece, each only what has come: it
// waits for the next piece first (at most WinInet's wait), so that the deadline is
// looked at between pieces however slowly a peer drips them. (Under Wine, closing
// the handles does not end a read that waits.) False when a wait or a read failed,
// or time ran out; `error` is the code.
bool ReadUpTo(const WinInetFunctions& net, HINTERNET request, char* into, DWORD size, const Deadline& deadline,
              DWORD& got, DWORD& error) {
    got = 0;
    while (got < size) {
        DWORD available = 0;
        if (!net.InternetQueryDataAvailable(request, &available, 0, 0)) {
            error = GetLastError();
            return false;
        }
        if (deadline.Passed()) {
            error = ERROR_INTERNET_TIMEOUT;
            return false;
        }
        if (available == 0) break;  // the end of the body
        DWORD piece = 0;
        if (!net.InternetReadFile(request, into + got, available < size - got ? available : size - got, &piece)) {
            error = GetLastError();
            return false;
        }
        got += piece;
    }
    error = ERROR_SUCCESS;
    return true;
}

// Reads the whole body, at most kLargestBody of it, handing each piece to
// `sink` when there is one: one read of the announced length (-1: none), or
// reads of kReadSize until one brings fewer bytes. Returns whether the last read
// succeeded; `lastError` is its error code.
bool ReadBody(const WinInetFunctions& net, HINTERNET request, int32_t announced, ScratchFile* sink,
              const Deadline& deadline, DWORD& lastError) {
    const bool wholeBody = announced >= 0;
    const auto chunk = static_cast<DWORD>(wholeBody ? announced : kReadSize);
    char* buffer = new char[chunk + 1];
    bool succeeded = false;
    long total = 0;
    for (bool more = true; more;) {
        DWORD got = 0;
        succeeded = ReadUpTo(net, request, buffer, chunk, deadline, got, lastError);
        if (succeeded && got > 0 && sink) {
            buffer[got] = '\0';
            sink->Write(buffer);
        }
        total += static_cast<long>(got);
        more = !wholeBody && succeeded && got == chunk && total < kLargestBody;
    }
    delete[] buffer;
    return succeeded;
}

}  // namespace

Text PostExchange::SendForm(HINTERNET request, Sending& sending, const Deadline& deadline, DWORD& failedCode) {
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
    if (sending.Send(net, request, body, deadline, failedCode)) return Text();
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
    CurrentSending sending;  // outlives the handles: their closing reports to it
    ProxyCredentials credentials;
    Exchange exchange(*net);
    // However a peer drips its bytes, the exchange ends in time; a failure it
    // causes then names the time as its cause.
    Deadline deadline(deadlineMs);
    const auto cause = [&](DWORD code) {
        return deadline.Passed() ? static_cast<DWORD>(ERROR_INTERNET_TIMEOUT) : code;
    };
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
    // service). A courtesy: when it fails, the form goes as if no sign-in were
    // asked. Over https the proxy only ever sees the tunnel's opening, never the form.
    bool probing = scheme == kSchemeHttp && !proxy.IsEmpty();
    bool basic = false;
    int rounds = 0;
    DWORD status = 0;
    for (;;) {
        // Each round a fresh request, with what the person gave: resent on the
        // same one, the form would go in clear to a proxy whose tunnel was refused.
        Sending& round = sending.Next(scheme == kSchemeHttps, probing);
        exchange.CloseOne(exchange.request);
        exchange.request = OpenRequest(*net, exchange.connection, probing ? "OPTIONS" : "POST", path, scheme, round,
                                       credentials, timeoutMs);
        if (!exchange.request) {
            return WithCause("Error Sending request to the server", cause(GetLastError()));
        }
        DWORD failedCode = ERROR_SUCCESS;
        if (probing) {
            round.Send(*net, exchange.request, Text(), deadline, failedCode);
        } else if (basic && credentials.Given() && !credentials.AddBasicTo(*net, exchange.request)) {
            failedCode = GetLastError();
        } else {
            const Text failure = SendForm(exchange.request, round, deadline, failedCode);
            if (!failure.IsEmpty() && failedCode == ERROR_SUCCESS) return failure;  // the header would not go
        }
        DWORD size = sizeof status;
        // A reply without a status line (a dropped connection, a timeout) counts as no reply.
        const bool answered = failedCode == ERROR_SUCCESS &&
                              net->HttpQueryInfoA(exchange.request, HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER,
                                                  &status, &size, nullptr) &&
                              status != 0;
        if (probing && (!answered || status != HTTP_STATUS_PROXY_AUTH_REQ)) {
            if (deadline.Passed()) return WithCause(kSendFailed, ERROR_INTERNET_TIMEOUT);  // the form never went
            probing = false;  // the proxy let it by, or the courtesy failed: now the form
            continue;
        }
        if (failedCode != ERROR_SUCCESS) {
            return SendFailure(round.progress, proxy, cause(failedCode));
        }
        if (!answered) {
            return deadline.Passed() ? WithCause(kNoAnswer, ERROR_INTERNET_TIMEOUT) : Text(kNoAnswer);
        }
        if (status != HTTP_STATUS_PROXY_AUTH_REQ) break;
        basic = OffersBasic(*net, exchange.request);
        if (rounds++ == kSignInRounds) {
            return SignInRefusal(proxy, true);
        }
        // The system's own dialog, owned by the form; Windows answers Cancel
        // with ERROR_CANCELLED, Wine with 0. The person's time in it is not the peer's.
        deadline.Pause();
        const DWORD answer = net->InternetErrorDlg(signInOwner, exchange.request, ERROR_INTERNET_INCORRECT_PASSWORD,
                                                   FLAGS_ERROR_UI_FLAGS_GENERATE_DATA | FLAGS_ERROR_UI_FLAGS_CHANGE_OPTIONS,
                                                   nullptr);
        deadline.Resume();
        if (answer != ERROR_INTERNET_FORCE_RETRY || !credentials.ReadFrom(*net, exchange.request)) {
            return SignInRefusal(proxy, rounds > 1);
        }
    }
    if (scheme == kSchemeHttps && !IsSecure(*net, exchange.request)) {
        // The proxy answered for a tunnel that never carried the form.
        return Text(kSendFailed) + " The proxy refused the way to the server (status " + DecimalText(status) + ").";
    }
    if (!IsHttp1Answer(*net, exchange.request)) {
        return Text(kNoAnswer);
    }

    const int32_t announced = UsableContentLength(*net, exchange.request);
    DWORD readError = ERROR_SUCCESS;
    bool bodyRead;
    if (status == 200) {
        scratch.Open(cacheFolder);
        bodyRead = ReadBody(*net, exchange.request, announced, &scratch, deadline, readError);
        scratch.Close();
    } else {
        bodyRead = ReadBody(*net, exchange.request, announced, nullptr, deadline, readError);
    }
    exchange.Close();

    // A refusal is not a success; a failed read names the answer's status, then the
    // code of the failed read (not of the closing).
    const Text outcome = IsRefusal(status) ? StatusRefusal(status) : Text();
    if (!bodyRead) {
        return WithCause(outcome.IsEmpty() ? Text(kNoAnswer) + " (Status " + DecimalText(status) + ")" : outcome,
                         cause(readError));
    }
    return outcome;
}
