// A loopback HTTP server for tests: listens on 127.0.0.1 on a port of its own, records each
// request line and answers as the test says. Runs on a thread of its own until destroyed.
#pragma once

#include <winsock2.h>
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

class LoopbackServer {
public:
    LoopbackServer();
    ~LoopbackServer();
    LoopbackServer(const LoopbackServer &) = delete;
    LoopbackServer &operator=(const LoopbackServer &) = delete;

    // "http://127.0.0.1:PORT"
    std::wstring Base() const;

    // Every following request gets this answer, as application/json.
    void Answer(int status, const std::string &body);
    // Every following request gets this answer with this Content-Type; an empty type sends the
    // answer with no Content-Type header at all.
    void AnswerTyped(int status, const std::string &contentType, const std::string &body);
    // Every following request gets this answer, announced as declaredLength bytes long but closed
    // after body: a reply cut short.
    void AnswerCutShort(int status, const std::string &body, size_t declaredLength);
    // Every following request is accepted and read, but never answered while the server lives.
    void StaySilent();

    std::vector<std::string> RequestLines();
    // Runs hook on the server's thread as each request arrives, before it is answered.
    void OnRequest(std::function<void()> hook);
    // Waits until at least count requests have arrived, at most milliseconds. True when they have.
    bool WaitForRequests(size_t count, DWORD milliseconds);

private:
    static DWORD WINAPI Run(void *self);
    void Serve(SOCKET client);

    SOCKET listener_ = INVALID_SOCKET;
    int port_ = 0;
    HANDLE thread_ = nullptr;
    CRITICAL_SECTION lock_;
    int status_ = 200;
    std::string body_;
    std::string contentType_ = "application/json; charset=UTF-8";
    size_t declared_ = 0;       // announced length when not 0
    bool silent_ = false;
    std::vector<std::string> requests_;
    HANDLE arrived_ = nullptr;
    std::function<void()> hook_;  // auto-reset event, set at every request
    std::vector<SOCKET> held_;
};

// A loopback port on which nothing listens.
int UnusedLoopbackPort();
