#pragma once

#include <winsock2.h>
#include <windows.h>

#include <atomic>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

// An HTTP server on a loopback port, on threads of the test process. Each
// connection's request is read whole (headers and announced body), recorded
// byte for byte, and answered as the next scripted reply says.
struct Reply {
    enum class End { Close, Hold, Reset, Endless, Drip };
    std::string bytes;      // sent as they are once the request is in
    End end = End::Close;   // Hold: keep the connection open, silent, until Release();
                            // Endless: then send 'e' until the client goes away;
                            // Drip: then a 'd' every pauseMs, for a minute at most
    bool readRequest = true;  // false: answer (or hold) without reading anything
    int pauseMs = 0;          // between the bytes and the end (Drip: between its bytes)
};

class ScriptedServer {
public:
    explicit ScriptedServer(unsigned short port = 0);  // 0: any free port
    ~ScriptedServer();
    ScriptedServer(const ScriptedServer&) = delete;
    ScriptedServer& operator=(const ScriptedServer&) = delete;

    bool Listening() const { return listener != INVALID_SOCKET; }
    unsigned short Port() const { return port; }

    // Replies for the coming connections, in order; the last one repeats.
    void Script(std::vector<Reply> replies);
    std::vector<std::string> Requests();  // what each connection received so far, byte for byte
    int Connections() const { return connections; }
    void Release();  // ends the held connections

private:
    void Accept();
    void Serve(SOCKET client, Reply reply);

    SOCKET listener = INVALID_SOCKET;
    unsigned short port = 0;
    HANDLE stopping = CreateEventA(nullptr, TRUE, FALSE, nullptr);  // set once, when the server goes
    HANDLE released = CreateEventA(nullptr, TRUE, FALSE, nullptr);  // set by Release() and when it goes
    std::atomic<int> connections{0};
    std::mutex guard;
    std::vector<Reply> script;
    std::vector<std::string> requests;
    std::vector<std::thread> servers;
    std::thread acceptor;
};

// "HTTP/1.1 <status>\r\n<headers>\r\n<body>", with Connection: close.
std::string HttpReply(int status, const std::string& headers, const std::string& body);
