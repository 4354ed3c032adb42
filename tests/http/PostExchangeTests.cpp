#include <winsock2.h>

#include "http/PostExchange.h"

#include <gtest/gtest.h>

#include <fstream>
#include <memory>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "core/TextList.h"
#include "desktop/SystemErrorText.h"
#include "http/ScratchFile.h"
#include "http/WinInet.h"
#include "rules/Charset.h"
#include "support/SampleForm.h"
#include "support/ScriptedServer.h"
#include "support/TempFolder.h"
#include "support/TestRegistry.h"

namespace {

const char kBody[] =
    "EmailAddress=jo%40example%2ecom&EmailType=2&rootURL=http%3a%2f%2fcrm%2eexample%2ecom%2f&SelectProduct=2"
    "&HowReached=Other&FullName=Jo%20Bloggs&Phone=0123\r\n";

// A described message, then the system's (or WinInet's) text for the error's cause.
std::string Caused(const std::string& message, DWORD code) {
    return message + (message.back() == '.' ? " " : ". ") + SystemErrorText(code, WinInet()->module).Data();
}

class PostExchangeTest : public ::testing::Test {
protected:
    void SetUp() override {
        FillSampleForm(names, values);
        ASSERT_TRUE(server.Listening());
    }

    static const DWORD kTestTimeoutMs = 2000;  // a silent service costs the tests this, not 30 s

    std::string Url(const char* scheme = "http") const {
        return std::string(scheme) + "://127.0.0.1:" + std::to_string(server.Port()) +
               "/frmAction/download.aspx?FromSite=yes";
    }

    void Post(const std::string& url, Text& error, const char* cacheFolder) {
        PostExchange exchange{names, values, cacheFolder, scratch, nullptr, kTestTimeoutMs};
        error = exchange.Post(Text(url.c_str()));
    }
    void Post(const std::string& url, Text& error) { Post(url, error, cache.Path().c_str()); }

    std::string ScratchPath() const { return cache.Path() + "\\my_download_temp.htm"; }

    TextList names, values;
    ScratchFile scratch;
    TempFolder cache;
    ScriptedServer server;
};

// On NT the form is UTF-8, whatever the system's code page, and the request says so.
TEST_F(PostExchangeTest, SendsTheExactRequestInUtf8) {
    Text error;
    Post(Url(), error);
    EXPECT_STREQ("", error.Data());
    const auto requests = server.Requests();
    ASSERT_EQ(1u, requests.size());
    const std::string& request = requests[0];
    const size_t headerEnd = request.find("\r\n\r\n");
    ASSERT_NE(std::string::npos, headerEnd);
    const std::string head = request.substr(0, headerEnd + 2);
    EXPECT_EQ(0u, head.find("POST /frmAction/download.aspx?FromSite=yes HTTP/1.1\r\n")) << head;
    EXPECT_NE(std::string::npos, head.find("\r\nContent-Type: application/x-www-form-urlencoded; charset=utf-8\r\n")) << head;
    EXPECT_NE(std::string::npos, head.find("\r\nUser-Agent: HTTP\r\n")) << head;
    EXPECT_NE(std::string::npos, head.find("\r\nContent-Length: " + std::to_string(strlen(kBody)) + "\r\n")) << head;
    EXPECT_EQ(kBody, request.substr(headerEnd + 4));
}

TEST_F(PostExchangeTest, AnswersDecideTheOutcome) {
    std::string lines;  // 2500 bytes with line feeds
    while (lines.size() < 2500) lines += "line of the body\n";
    lines.resize(2500);
    std::string stored;  // as text mode stores them
    for (char c : lines) stored += c == '\n' ? std::string("\r\n") : std::string(1, c);
    const std::string big(3000, 'b');
    const std::string huge(10 * 1024 * 1024, 'h');
    const std::string lineFeeds(9 * 1024 * 1024, '\n');  // each stored as two bytes
    std::string fullOfLines;
    while (fullOfLines.size() < 16 * 1024 * 1024) fullOfLines += "\r\n";

    struct Case {
        const char* name;
        std::string reply;
        std::string error;  // none: taken, the answer read
        bool scratchFile;
        std::string scratch;
        Reply::End end = Reply::End::Close;
    };
    const Case cases[] = {
        {"200 without length", HttpReply(200, "", lines), "", true, stored},
        {"200 with length", HttpReply(200, "Content-Length: 5\r\n", "hello"), "", true, "hello"},
        {"200 with length 0", HttpReply(200, "Content-Length: 0\r\n", ""), "", true, ""},
        {"negative length", HttpReply(200, "Content-Length: -5\r\n", big), "", true, big},
        {"length not a number", HttpReply(200, "Content-Length: many\r\n", big), "", true, big},
        {"length over 1 MiB", HttpReply(200, "Content-Length: 2000000\r\n", big), "", true, big},
        {"10 MB body", HttpReply(200, "Content-Length: " + std::to_string(huge.size()) + "\r\n", huge), "",
         true, huge},
        {"10 MB body without length", HttpReply(200, "", huge), "", true, huge},
        {"length larger than the body", HttpReply(200, "Content-Length: 5000\r\n", "short"), "", true, "short"},
        {"201", HttpReply(201, "Content-Length: 7\r\n", "created"), "", false, ""},
        {"500 with body", HttpReply(500, "Content-Length: 4\r\n", "oops"),
         "The Server Could Not Accept the Information (Status 500).", false, ""},
        {"404 without length", HttpReply(404, "", "missing"),
         "The Server Could Not Accept the Information (Status 404).", false, ""},
        {"closed before a status line", "", "Error Opening Response Page", false, ""},
        // WinInet would take this for an HTTP/0.9 answer with status 200.
        {"bytes without a status line", std::string("\x00\xff\xfe garbage\r\nConnection: close\r\n\r\nnot a page", 44),
         "Error Opening Response Page", false, ""},
        // Windows ends the wait with 12002 (a timeout); Wine with 12030 (the connection ended).
        {"no answer at all", "", Caused("Error Opening Response Page", ERROR_INTERNET_CONNECTION_ABORTED), false, "",
         Reply::End::Hold},
        // Windows fails the read with 12002 and its text; Wine with the socket's own
        // code, for which it has no text: the program says what it means.
        {"headers then silence (Wine: 10060)", HttpReply(200, "Content-Length: 50\r\n", "start"),
         Caused("Error Opening Response Page (Status 200)", WSAETIMEDOUT), true, "", Reply::End::Hold},
        {"endless body: 16 MiB kept, then thanks", HttpReply(200, "", ""), "", true,
         std::string(16 * 1024 * 1024, 'e'), Reply::End::Endless},
        {"line feeds: the file stops at 16 MiB", HttpReply(200, "", lineFeeds), "", true,
         fullOfLines},
        {"endless refusal: read no further than 16 MiB", HttpReply(500, "", ""),
         "The Server Could Not Accept the Information (Status 500).", false, "", Reply::End::Endless},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        DeleteFileA(ScratchPath().c_str());
        server.Script({{c.reply, c.end}});
        Text error;
        Post(Url(), error);
        EXPECT_EQ(c.error, error.Data());
        std::ifstream file(ScratchPath(), std::ios::binary);
        EXPECT_EQ(c.scratchFile, file.is_open());
        if (file) {
            std::stringstream content;
            content << file.rdbuf();
            EXPECT_EQ(c.scratch, content.str());
        }
    }
}

TEST_F(PostExchangeTest, WithoutACacheFolderTheScratchFileGoesToTheTemporaryFolder) {
    char temp[MAX_PATH];
    GetTempPathA(MAX_PATH, temp);
    const std::string expected = std::string(temp) + "my_download_temp.htm";
    for (const char* folder : {static_cast<const char*>(nullptr), ""}) {
        EXPECT_EQ(expected, ScratchFilePath(folder).Data());
        Text error;
        Post(Url(), error, folder);
        EXPECT_STREQ("", error.Data());
        std::ifstream file(expected, std::ios::binary);
        std::stringstream content;
        content << file.rdbuf();
        EXPECT_EQ("ok", content.str());
        file.close();
        DeleteFileA(expected.c_str());
    }
}

TEST_F(PostExchangeTest, FollowsARedirectToTheFinalPage) {
    server.Script({{HttpReply(302, "Location: /final\r\nContent-Length: 0\r\n", "")},
                   {HttpReply(200, "Content-Length: 5\r\n", "final")}});
    Text error;
    Post(Url(), error);
    EXPECT_STREQ("", error.Data());
    const auto requests = server.Requests();
    ASSERT_EQ(2u, requests.size());
    EXPECT_EQ(0u, requests[1].find("GET /final HTTP/1.1\r\n")) << requests[1];
    std::ifstream file(ScratchPath(), std::ios::binary);
    std::stringstream content;
    content << file.rdbuf();
    EXPECT_EQ("final", content.str());
}

// Each failure names its cause after the described message.
TEST_F(PostExchangeTest, FailuresBecomeMessages) {
    // A port bound but never listening refuses every connection, and no other program can take it.
    const SOCKET closed = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in address = {};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    int size = sizeof address;
    ASSERT_EQ(0, bind(closed, reinterpret_cast<sockaddr*>(&address), sizeof address));
    ASSERT_EQ(0, getsockname(closed, reinterpret_cast<sockaddr*>(&address), &size));
    const std::string refused = "http://127.0.0.1:" + std::to_string(ntohs(address.sin_port)) + "/x";
    const std::string sendFailed = "Error Sending the Information to Server.";
    struct Case {
        const char* name;
        std::string url;
        std::string error;
        Reply reply;
    };
    const Case cases[] = {
        {"not http", "ftp://127.0.0.1/", "URL parsing failure", {""}},
        {"a refused connection", refused, Caused(sendFailed, ERROR_INTERNET_CANNOT_CONNECT), {""}},
        {"a name that does not resolve", "http://crm.does-not-resolve.invalid/x",
         Caused(sendFailed, ERROR_INTERNET_NAME_NOT_RESOLVED), {""}},
        // The step, the answer's status, then the system's text for the failed read.
        {"a reset in the middle of the body", Url(), Caused("Error Opening Response Page (Status 200)", WSAECONNRESET),
         {HttpReply(200, "", std::string(2048, 'x')), Reply::End::Reset, true, 300}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        server.Script({c.reply});
        Text error;
        Post(c.url, error);
        EXPECT_EQ(c.error, error.Data());
    }
    closesocket(closed);
}

// WinInet's limits apply to each wait: a peer that drips a byte every half second
// meets none of them. The exchange's own bound ends it, with the step it was in.
TEST_F(PostExchangeTest, NoPeerHoldsTheExchangeForEver) {
    const struct {
        const char* name;
        std::string bytes;
        std::string error;
    } cases[] = {
        {"header lines that never end", "HTTP/1.1 200 OK\r\nX-Slow: ",
         Caused("Error Opening Response Page", ERROR_INTERNET_TIMEOUT)},
        {"an answer that drips", HttpReply(200, "", ""),
         Caused("Error Opening Response Page (Status 200)", ERROR_INTERNET_TIMEOUT)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        server.Script({{c.bytes, Reply::End::Drip, true, 500}});
        PostExchange exchange{names, values, cache.Path().c_str(), scratch, nullptr, kTestTimeoutMs, 4000};
        EXPECT_EQ(c.error, exchange.Post(Text(Url().c_str())).Data());
    }
}

TEST_F(PostExchangeTest, HttpsIsSecureAndValidatesCertificates_WineTriesTheHandshakeTwice) {
    const DWORD ignoring = INTERNET_FLAG_IGNORE_CERT_CN_INVALID | INTERNET_FLAG_IGNORE_CERT_DATE_INVALID |
                           INTERNET_FLAG_IGNORE_REDIRECT_TO_HTTP | INTERNET_FLAG_IGNORE_REDIRECT_TO_HTTPS;
    EXPECT_EQ(0u, (kHttpRequestFlags | kHttpsRequestFlags) & ignoring);
    EXPECT_EQ(static_cast<DWORD>(INTERNET_FLAG_SECURE), kHttpsRequestFlags & ~kHttpRequestFlags);
    // A plain server on an https URL sees a TLS handshake, not the form.
    server.Script({{""}});
    Text error;
    Post(Url("https"), error);
    EXPECT_EQ(Caused("Error Sending the Information to Server.", ERROR_INTERNET_SECURITY_CHANNEL_ERROR), error.Data());
    const auto requests = server.Requests();
    EXPECT_EQ(2u, requests.size());  // Wine's WinInet tries a failed handshake once more
    for (const std::string& request : requests) EXPECT_EQ(0x16, request.at(0));
}

// With a proxy in the system's settings the form goes through it, and over
// https only inside the tunnel's TLS: the proxy sees the CONNECT, never the form.
// Over http the proxy first hears a request without the form, so that a proxy
// that asks for a sign-in never gets the form.
// A failed request without the form never keeps the form from going.
// (TLS through the tunnel to the real service, and the sign-in dialog: the tests
// with the real program.) One proxy for the whole test, as Wine 10 reads the
// settings once a process, with a company's long bypass list.
TEST_F(PostExchangeTest, ThroughTheSystemsProxyHttpsKeepsTheFormFromIt) {
    auto proxy = std::make_unique<ScriptedServer>();
    const std::string address = "127.0.0.1:" + std::to_string(proxy->Port());
    std::string bypass = "<local>";
    while (bypass.size() < 4096) bypass += ";*.intranet" + std::to_string(bypass.size()) + ".example";
    const ProxySettings settings(address, bypass);
    const std::string signIn = HttpReply(407, "Proxy-Authenticate: Basic realm=\"staff\"\r\nContent-Length: 0\r\n", "");
    const std::string notGiven = "The Proxy Server " + address + " Asks for a Sign-In, and None Was Given (Status 407).";
    const char endpoint[] = "http://crm.proxied.test:8080/frmAction/download.aspx?FromSite=yes";  // only the proxy knows it
    struct Case {
        const char* name;
        const char* url;
        std::vector<Reply> replies;          // one a connection
        std::vector<std::string> received;   // the first line of each request the proxy received
        std::string error;                   // none: the form went
    };
    const Case cases[] = {
        {"http: the proxy passes the request without the form, then carries the form", endpoint,
         {{HttpReply(501, "Content-Length: 0\r\n", "")}, {HttpReply(200, "Content-Length: 2\r\n", "ok")}},
         {std::string("OPTIONS ") + endpoint + " HTTP/1.1", std::string("POST ") + endpoint + " HTTP/1.1"}, ""},
        {"http: a proxy that resets the request without the form still carries the form", endpoint,
         {{"", Reply::End::Reset}, {HttpReply(200, "Content-Length: 2\r\n", "ok")}},
         {std::string("OPTIONS ") + endpoint + " HTTP/1.1", std::string("POST ") + endpoint + " HTTP/1.1"}, ""},
        // No owner window for the sign-in dialog here: Wine shows none.
        {"http: a proxy that wants a password never gets the form", "http://crm.proxied.test:8080/x", {{signIn}},
         {"OPTIONS http://crm.proxied.test:8080/x HTTP/1.1"}, notGiven},
        {"https: a proxy that wants a password", "https://crm.proxied.test:8443/x", {{signIn}},
         {"CONNECT crm.proxied.test:8443 HTTP/1.1"}, notGiven},
        {"https: the proxy's own refusal is not the service's", "https://crm.proxied.test:8443/x",
         {{HttpReply(503, "Content-Length: 0\r\n", "")}}, {"CONNECT crm.proxied.test:8443 HTTP/1.1"},
         "Error Sending the Information to Server. The proxy refused the way to the server (status 503)."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        proxy->Script(c.replies);
        const size_t before = proxy->Requests().size();
        Text error;
        Post(c.url, error);
        EXPECT_EQ(c.error, error.Data());
        const auto all = proxy->Requests();
        ASSERT_EQ(before + c.received.size(), all.size());
        for (size_t i = 0; i < c.received.size(); ++i) {
            const std::string& seen = all[before + i];
            EXPECT_EQ(0u, seen.find(c.received[i] + "\r\n")) << seen;
            const bool probe = seen.find("OPTIONS ") == 0;
            const std::string body = seen.substr(seen.find("\r\n\r\n") + 4);
            EXPECT_EQ(c.error.empty() && !probe ? kBody : "", body);
        }
    }

    proxy.reset();  // nothing listens there now
    Text error;
    Post(Url(), error);
    EXPECT_EQ(Caused("Error Connecting to the Proxy Server " + address + ".", ERROR_INTERNET_CANNOT_CONNECT),
              error.Data());
}

std::set<UINT> localeCodePages;

BOOL CALLBACK KeepAnsiCodePage(LPSTR locale) {
    char codePage[8] = {};
    const LCID id = static_cast<LCID>(strtoul(locale, nullptr, 16));
    if (GetLocaleInfoA(id, LOCALE_IDEFAULTANSICODEPAGE, codePage, sizeof codePage)) localeCodePages.insert(atoi(codePage));
    return TRUE;
}

// Whatever the system's locale, the request names its code page: the ANSI code
// page of every locale the system knows, and UTF-8, the program's own.
TEST(Charset, EveryCodePageTheSystemCanUseHasItsName) {
    EnumSystemLocalesA(KeepAnsiCodePage, LCID_SUPPORTED);
    localeCodePages.erase(0);  // locales without an ANSI code page of their own
    EXPECT_GE(localeCodePages.size(), 10u);
    localeCodePages.insert(CP_UTF8);
    for (UINT codePage : localeCodePages) EXPECT_FALSE(CharsetName(codePage).IsEmpty()) << codePage;
}

}  // namespace
