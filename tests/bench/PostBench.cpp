// PostForm against a minimal WinInet POST doing the same work (the same body
// sent, the answer's body written to a file), to the same server, alternating.
//   post_bench.exe ROUNDS [URL [program|minimal]]
// Without URL: a scripted server on loopback. With "program" or "minimal" only
// that one runs (ROUNDS 1 in a fresh process: the cost of the first exchange).
// Prints: post_ms PROGRAM MINIMAL RATIO, medians in milliseconds.
#include <winsock2.h>

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <string>
#include <vector>

#include "BenchClock.h"
#include "core/TextList.h"
#include "http/PostExchange.h"
#include "http/ScratchFile.h"
#include "rules/FormBody.h"
#include "rules/SplitUrl.h"
#include "support/SampleForm.h"
#include "support/ScriptedServer.h"

namespace {

std::string Body(TextList& names, TextList& values) {
    TextList pieces;
    BuildFormBody(names, values, pieces);
    std::string body;
    bool more = pieces.First();
    while (more) body += pieces.Next(more);
    return body + FormTrailer().Data();
}

// The least a program can do to post a form with WinInet and keep the answer.
bool MinimalPost(const std::string& url, const std::string& body, const std::string& file) {
    Text host, path;
    int32_t port = 0, scheme = 0;
    if (!SplitUrl(url.c_str(), host, path, port, scheme)) return false;
    HINTERNET root = InternetOpenA("HTTP", INTERNET_OPEN_TYPE_DIRECT, nullptr, nullptr, 0);
    HINTERNET connection = InternetConnectA(root, host.Data(), static_cast<INTERNET_PORT>(port), nullptr, nullptr,
                                            INTERNET_SERVICE_HTTP, 0, 0);
    const DWORD flags = INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE |
                        (scheme == kSchemeHttps ? INTERNET_FLAG_SECURE : 0);
    HINTERNET request = HttpOpenRequestA(connection, "POST", path.Data(), nullptr, nullptr, nullptr, flags, 0);
    const char header[] = "Content-Type: application/x-www-form-urlencoded\r\n";
    bool ok = HttpSendRequestA(request, header, static_cast<DWORD>(-1), const_cast<char*>(body.data()),
                               static_cast<DWORD>(body.size())) != FALSE;
    FILE* out = fopen(file.c_str(), "w");
    char buffer[1024];
    DWORD got = 0;
    while (ok && out && InternetReadFile(request, buffer, sizeof buffer, &got) && got > 0) fwrite(buffer, 1, got, out);
    if (out) fclose(out);
    InternetCloseHandle(request);
    InternetCloseHandle(connection);
    InternetCloseHandle(root);
    return ok;
}

}  // namespace

int main(int argc, char** argv) {
    const int rounds = argc > 1 ? atoi(argv[1]) : 100;
    const std::string which = argc > 3 ? argv[3] : "both";
    TextList names, values;
    FillSampleForm(names, values);
    char temp[MAX_PATH];
    GetTempPathA(MAX_PATH, temp);
    ScratchFile scratch;
    PostExchange exchange{names, values, temp, scratch};
    const std::string minimalFile = std::string(temp) + "minimal_post.htm";
    ScriptedServer server;
    server.Script({{HttpReply(200, "Content-Length: 2\r\n", "ok")}});
    const std::string url = argc > 2 ? argv[2]
                                     : "http://127.0.0.1:" + std::to_string(server.Port()) +
                                           "/frmAction/download.aspx?FromSite=yes";
    const std::string body = Body(names, values);
    std::vector<double> program, minimal;
    for (int i = 0; i < rounds; ++i) {
        if (which != "minimal") {
            const double start = Now();
            const Text error = exchange.Post(Text(url.c_str()));
            program.push_back(Now() - start);
            if (!error.IsEmpty()) {
                fprintf(stderr, "PostForm: %s\n", error.Data());
                return 1;
            }
        }
        if (which != "program") {
            const double start = Now();
            if (!MinimalPost(url, body, minimalFile)) return 1;
            minimal.push_back(Now() - start);
        }
    }
    scratch.Remove();
    DeleteFileA(minimalFile.c_str());
    const double p = program.empty() ? 0 : Median(program), m = minimal.empty() ? 0 : Median(minimal);
    printf("post_ms %.2f %.2f %.2f\n", p, m, m > 0 ? p / m : 0);
    return 0;
}
