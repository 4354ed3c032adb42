// One PostForm round trip against a minimal WinInet POST of the same body,
// both to the same scripted server on loopback, side by side.
//   post_bench.exe ROUNDS
#include <winsock2.h>

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <string>
#include <vector>

#include "form/ProgramState.h"
#include "http/FormBody.h"
#include "http/PostForm.h"
#include "BenchClock.h"
#include "support/ScriptedServer.h"
#include "support/SampleForm.h"

namespace {

std::string Body() {
    TextList pieces;
    BuildFormBody(fieldNames, fieldValues, pieces);
    std::string body;
    bool more = pieces.First();
    while (more) body += pieces.Next(more);
    return body + FormTrailer().Data();
}

// The least a program can do to post a form with WinInet.
bool MinimalPost(unsigned short port, const std::string& body) {
    HINTERNET root = InternetOpenA("HTTP", INTERNET_OPEN_TYPE_DIRECT, nullptr, nullptr, 0);
    HINTERNET connection = InternetConnectA(root, "127.0.0.1", port, nullptr, nullptr, INTERNET_SERVICE_HTTP, 0, 0);
    HINTERNET request = HttpOpenRequestA(connection, "POST", "/frmAction/download.aspx?FromSite=yes", nullptr,
                                         nullptr, nullptr, INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE, 0);
    const char header[] = "Content-Type: application/x-www-form-urlencoded\r\n";
    bool ok = HttpSendRequestA(request, header, static_cast<DWORD>(-1), const_cast<char*>(body.data()),
                               static_cast<DWORD>(body.size())) != FALSE;
    char buffer[1024];
    DWORD got = 0;
    while (ok && InternetReadFile(request, buffer, sizeof buffer, &got) && got > 0) {
    }
    InternetCloseHandle(request);
    InternetCloseHandle(connection);
    InternetCloseHandle(root);
    return ok;
}

}  // namespace

int main(int argc, char** argv) {
    const int rounds = argc > 1 ? atoi(argv[1]) : 100;
    FillSampleForm(fieldNames, fieldValues);
    char temp[MAX_PATH];
    GetTempPathA(MAX_PATH, temp);
    cachePath = temp;
    ScriptedServer server;
    server.Script({{HttpReply(200, "Content-Length: 2\r\n", "ok")}});
    const std::string url = "http://127.0.0.1:" + std::to_string(server.Port()) + "/frmAction/download.aspx?FromSite=yes";
    const std::string body = Body();
    std::vector<double> program, minimal;
    for (int i = 0; i < rounds; ++i) {
        double start = Now();
        Text error;
        PostForm(Text(url.c_str()), error);
        program.push_back(Now() - start);
        if (!error.IsEmpty()) return 1;
        start = Now();
        if (!MinimalPost(server.Port(), body)) return 1;
        minimal.push_back(Now() - start);
    }
    DeleteFileA(ScratchFilePath(cachePath).Data());
    printf("post_ms %.2f %.2f %.2f\n", Median(program), Median(minimal), Median(program) / Median(minimal));
    return 0;
}
