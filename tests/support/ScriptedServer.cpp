#include "support/ScriptedServer.h"

#include <stdlib.h>
#include <string.h>

namespace {

struct WinsockUser {
    WinsockUser() {
        WSADATA data;
        WSAStartup(MAKEWORD(2, 2), &data);
    }
    ~WinsockUser() { WSACleanup(); }
};

bool Readable(SOCKET s, int ms) {
    fd_set set;
    FD_ZERO(&set);
    FD_SET(s, &set);
    timeval wait = {ms / 1000, (ms % 1000) * 1000};
    return select(0, &set, nullptr, nullptr, &wait) > 0;
}

// Reads the headers and as much body as Content-Length announces.
std::string ReadRequest(SOCKET client) {
    std::string request;
    size_t wanted = std::string::npos;
    char buffer[4096];
    while (request.size() < wanted) {
        if (!Readable(client, 10000)) break;
        const int got = recv(client, buffer, sizeof buffer, 0);
        if (got <= 0) break;
        request.append(buffer, static_cast<size_t>(got));
        if (request[0] == 0x16) break;  // a TLS handshake: no HTTP to read here
        const size_t headerEnd = request.find("\r\n\r\n");
        if (wanted == std::string::npos && headerEnd != std::string::npos) {
            size_t length = 0;
            const size_t field = request.find("Content-Length:");
            if (field != std::string::npos && field < headerEnd) length = strtoul(request.c_str() + field + 15, nullptr, 10);
            wanted = headerEnd + 4 + length;
        }
    }
    return request;
}

}  // namespace

std::string HttpReply(int status, const std::string& headers, const std::string& body) {
    return "HTTP/1.1 " + std::to_string(status) + " Scripted\r\nConnection: close\r\n" + headers + "\r\n" + body;
}

ScriptedServer::ScriptedServer(unsigned short wantedPort) {
    static WinsockUser winsock;
    listener = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in address = {};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(wantedPort);
    int size = sizeof address;
    if (bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 || listen(listener, 16) != 0 ||
        getsockname(listener, reinterpret_cast<sockaddr*>(&address), &size) != 0) {
        closesocket(listener);
        listener = INVALID_SOCKET;
        return;
    }
    port = ntohs(address.sin_port);
    script.push_back({HttpReply(200, "Content-Length: 2\r\n", "ok")});
    acceptor = std::thread([this] { Accept(); });
}

ScriptedServer::~ScriptedServer() {
    SetEvent(stopping);
    SetEvent(released);
    if (acceptor.joinable()) acceptor.join();
    for (std::thread& server : servers) server.join();
    if (listener != INVALID_SOCKET) closesocket(listener);
    CloseHandle(stopping);
    CloseHandle(released);
}

void ScriptedServer::Script(std::vector<Reply> replies) {
    std::lock_guard<std::mutex> lock(guard);
    script = std::move(replies);
}

std::vector<std::string> ScriptedServer::Requests() {
    std::lock_guard<std::mutex> lock(guard);
    return requests;
}

void ScriptedServer::Release() { SetEvent(released); }

void ScriptedServer::Accept() {
    // Woken by a connection to accept or by the server going, whichever comes first.
    WSAEVENT incoming = WSACreateEvent();
    WSAEventSelect(listener, incoming, FD_ACCEPT);
    const HANDLE wakers[] = {stopping, incoming};
    while (WaitForMultipleObjects(2, wakers, FALSE, INFINITE) == WAIT_OBJECT_0 + 1) {
        WSAResetEvent(incoming);
        SOCKET client = accept(listener, nullptr, nullptr);
        if (client == INVALID_SOCKET) continue;
        WSAEventSelect(client, nullptr, 0);  // the listener's event and non-blocking mode are not the client's
        u_long blocking = 0;
        ioctlsocket(client, FIONBIO, &blocking);
        Reply reply;
        {
            std::lock_guard<std::mutex> lock(guard);
            if (!script.empty()) reply = script.front();  // none scripted: closed without a word
            if (script.size() > 1) script.erase(script.begin());
        }
        ++connections;
        servers.emplace_back([this, client, reply] { Serve(client, reply); });
    }
    WSACloseEvent(incoming);
}

void ScriptedServer::Serve(SOCKET client, Reply reply) {
    size_t recorded = 0;
    if (reply.readRequest) {
        const std::string request = ReadRequest(client);
        std::lock_guard<std::mutex> lock(guard);
        recorded = requests.size();
        requests.push_back(request);
    }
    size_t sent = 0;
    while (sent < reply.bytes.size()) {
        const int n = send(client, reply.bytes.data() + sent, static_cast<int>(reply.bytes.size() - sent), 0);
        if (n <= 0) break;
        sent += static_cast<size_t>(n);
    }
    const std::string filler(65536, 'e');
    while (reply.end == Reply::End::Endless && WaitForSingleObject(stopping, 0) == WAIT_TIMEOUT &&
           send(client, filler.data(), static_cast<int>(filler.size()), 0) > 0) {
    }
    for (int dripped = 0; reply.end == Reply::End::Drip && dripped * reply.pauseMs < 60000 &&
                          WaitForSingleObject(stopping, static_cast<DWORD>(reply.pauseMs)) == WAIT_TIMEOUT &&
                          send(client, "d", 1, 0) == 1;
         ++dripped) {
    }
    Sleep(static_cast<DWORD>(reply.pauseMs));
    if (reply.end == Reply::End::Hold) {
        WaitForSingleObject(released, INFINITE);
    }
    if (reply.end == Reply::End::Reset) {
        linger abort = {1, 0};  // closing now sends a reset
        setsockopt(client, SOL_SOCKET, SO_LINGER, reinterpret_cast<const char*>(&abort), sizeof abort);
    } else {
        shutdown(client, SD_SEND);
        char drain[512];
        for (int got; Readable(client, 200) && (got = recv(client, drain, sizeof drain, 0)) > 0;) {
            // What comes after the reply (a TLS handshake inside a proxy's tunnel) belongs to the request.
            std::lock_guard<std::mutex> lock(guard);
            if (reply.readRequest) requests[recorded].append(drain, static_cast<size_t>(got));
        }
    }
    closesocket(client);
}
