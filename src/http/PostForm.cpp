#include "http/PostForm.h"

#include <stdint.h>
#include <stdlib.h>
#include <string.h>

#include "core/Text.h"
#include "core/TextList.h"
#include "desktop/SystemErrorText.h"
#include "form/ProgramState.h"
#include "http/Charset.h"
#include "http/FormBody.h"
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

// A silent service ends the exchange with the failing step's message. Set on
// the root handle, which the others inherit on Windows, and on the request,
// which is where Wine takes them from.
void LimitWaits(const WinInetFunctions& net, HINTERNET handle) {
    static const DWORD kWaits[] = {INTERNET_OPTION_CONNECT_TIMEOUT, INTERNET_OPTION_SEND_TIMEOUT,
                                   INTERNET_OPTION_RECEIVE_TIMEOUT};
    for (const DWORD option : kWaits) net.InternetSetOptionA(handle, option, &exchangeTimeoutMs, sizeof exchangeTimeoutMs);
}

// The three WinInet handles of one exchange, closed in this order on every
// path: by the destructor on the way out, or earlier by Close().
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
    bool succeeded;
    for (long total = 0; total < kLargestBody;) {
        DWORD got = 0;
        succeeded = net.InternetReadFile(request, buffer, static_cast<DWORD>(chunk), &got) != FALSE;
        lastError = succeeded ? ERROR_SUCCESS : GetLastError();
        if (succeeded && got > 0 && sink) {
            buffer[got] = '\0';
            sink->Write(buffer);
        }
        if (wholeBody || !succeeded || static_cast<int32_t>(got) < chunk) break;
        total += static_cast<long>(got);
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

Text SendForm(HINTERNET request) {
    const WinInetFunctions& net = *WinInet();  // resolved by PostForm before it made the request
    // The service decodes the bytes by the code page named here: they are the system's ANSI code page.
    Text contentType("Content-Type: application/x-www-form-urlencoded");
    const Text charset = CharsetName(GetACP());
    if (!charset.IsEmpty()) contentType = contentType + "; charset=" + charset;
    contentType.Append("\r\n");
    if (!net.HttpAddRequestHeadersA(request, contentType.Data(), static_cast<DWORD>(-1), 0)) {
        return SystemErrorText(GetLastError());
    }

    TextList pieces;
    INTERNET_BUFFERSA upload = {};
    upload.dwStructSize = sizeof upload;
    upload.dwBufferTotal = static_cast<DWORD>(BuildFormBody(fieldNames, fieldValues, pieces));
    if (!net.HttpSendRequestExA(request, &upload, nullptr, HSR_INITIATE, 0)) return Text(kSendFailed);

    // The announced length went first; the pieces follow one by one, then the trailer.
    bool allWritten = true;
    auto write = [&](const char* bytes) {
        DWORD written = 0;
        allWritten &= net.InternetWriteFile(request, bytes, static_cast<DWORD>(strlen(bytes)), &written) != FALSE;
    };
    if (pieces.First()) {
        bool more = true;
        while (more) write(pieces.Next(more));
    }
    write(FormTrailer().Data());
    allWritten &= net.HttpEndRequestA(request, nullptr, HSR_INITIATE, 0) != FALSE;
    return allWritten ? Text() : Text(kSendFailed);
}

int PostForm(const Text& url, Text& error) {
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
    Exchange exchange(*net);
    exchange.root = net->InternetOpenA(scheme == kSchemeHttps ? "HTTPS" : "HTTP", INTERNET_OPEN_TYPE_DIRECT, nullptr,
                                  nullptr, 0);
    if (exchange.root) {
        LimitWaits(*net, exchange.root);
        exchange.connection = net->InternetConnectA(exchange.root, host.Data(), static_cast<INTERNET_PORT>(port), nullptr,
                                               nullptr, INTERNET_SERVICE_HTTP, 0, 0);
    }
    if (!exchange.connection) {
        error = "Error Connecting to the Net";
        return 0;
    }
    exchange.request = net->HttpOpenRequestA(exchange.connection, "POST", path.Data(), nullptr, nullptr, nullptr,
                                        scheme == kSchemeHttps ? kHttpsRequestFlags : kHttpRequestFlags, 0);
    if (!exchange.request) {
        error = "Error Sending request to the server";
        return 0;
    }
    LimitWaits(*net, exchange.request);

    const Text sendError = SendForm(exchange.request);
    if (!sendError.IsEmpty()) {
        error = sendError;
        return 0;
    }

    DWORD status = 0;
    DWORD size = sizeof status;
    // A reply without a status line (a dropped connection, a timeout) counts as no reply.
    if (!net->HttpQueryInfoA(exchange.request, HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &status, &size, nullptr) ||
        status == 0) {
        error = "Error Opening Response Page";
        return 0;
    }

    const int32_t announced = UsableContentLength(*net, exchange.request);
    DWORD readError = ERROR_SUCCESS;
    bool bodyRead;
    if (status == 200) {
        scratchFile.Open(cachePath);
        bodyRead = ReadBody(*net, exchange.request, announced, &scratchFile, readError);
        scratchFile.Close();
    } else {
        bodyRead = ReadBody(*net, exchange.request, announced, nullptr, readError);
    }
    exchange.Close();

    if (!bodyRead) {
        error = SystemErrorText(readError);  // the code of the failed read, not of the closing
        return 0;
    }
    if (status < 200 || status > 299) {
        error = StatusRefusal(status);  // a refusal is not a success
        return 0;
    }
    return status == 200 ? 1 : 0;
}
