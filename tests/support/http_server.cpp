// The loopback HTTP server for tests.
#include "tests/support/http_server.h"

#include <stdio.h>

namespace {

struct WinsockUser {
    WinsockUser()
    {
        WSADATA data;
        WSAStartup(MAKEWORD(2, 2), &data);
    }
};

SOCKET ListenOnLoopback(int *port)
{
    static WinsockUser winsock;
    SOCKET listener = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in address = {};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    bind(listener, reinterpret_cast<sockaddr *>(&address), sizeof address);
    listen(listener, 16);
    int length = sizeof address;
    getsockname(listener, reinterpret_cast<sockaddr *>(&address), &length);
    *port = ntohs(address.sin_port);
    return listener;
}

}  // namespace

LoopbackServer::LoopbackServer()
{
    InitializeCriticalSection(&lock_);
    arrived_ = CreateEventW(nullptr, FALSE, FALSE, nullptr);
    listener_ = ListenOnLoopback(&port_);
    thread_ = CreateThread(nullptr, 0, Run, this, 0, nullptr);
}

LoopbackServer::~LoopbackServer()
{
    closesocket(listener_);   // ends the accept loop
    WaitForSingleObject(thread_, INFINITE);
    CloseHandle(thread_);
    for (SOCKET socket : held_)
        closesocket(socket);
    DeleteCriticalSection(&lock_);
    CloseHandle(arrived_);
}

std::wstring LoopbackServer::Base() const
{
    wchar_t base[64];
    _snwprintf(base, 64, L"http://127.0.0.1:%d", port_);
    return base;
}

void LoopbackServer::Answer(int status, const std::string &body)
{
    AnswerTyped(status, "application/json; charset=UTF-8", body);
}

void LoopbackServer::AnswerTyped(int status, const std::string &contentType, const std::string &body)
{
    EnterCriticalSection(&lock_);
    status_ = status;
    contentType_ = contentType;
    body_ = body;
    declared_ = 0;
    silent_ = false;
    LeaveCriticalSection(&lock_);
}

void LoopbackServer::AnswerCutShort(int status, const std::string &body, size_t declaredLength)
{
    Answer(status, body);
    EnterCriticalSection(&lock_);
    declared_ = declaredLength;
    LeaveCriticalSection(&lock_);
}

void LoopbackServer::StaySilent()
{
    EnterCriticalSection(&lock_);
    silent_ = true;
    LeaveCriticalSection(&lock_);
}

std::vector<std::string> LoopbackServer::RequestLines()
{
    EnterCriticalSection(&lock_);
    std::vector<std::string> lines = requests_;
    LeaveCriticalSection(&lock_);
    return lines;
}

void LoopbackServer::OnRequest(std::function<void()> hook)
{
    EnterCriticalSection(&lock_);
    hook_ = std::move(hook);
    LeaveCriticalSection(&lock_);
}

bool LoopbackServer::WaitForRequests(size_t count, DWORD milliseconds)
{
    DWORD start = GetTickCount();
    while (RequestLines().size() < count) {
        DWORD spent = GetTickCount() - start;
        if (spent >= milliseconds || WaitForSingleObject(arrived_, milliseconds - spent) != WAIT_OBJECT_0)
            return RequestLines().size() >= count;
    }
    return true;
}

DWORD WINAPI LoopbackServer::Run(void *self)
{
    LoopbackServer *server = static_cast<LoopbackServer *>(self);
    for (;;) {
        SOCKET client = accept(server->listener_, nullptr, nullptr);
        if (client == INVALID_SOCKET)
            return 0;
        server->Serve(client);
    }
}

void LoopbackServer::Serve(SOCKET client)
{
    std::string request;
    char buffer[4096];
    while (request.find("\r\n\r\n") == std::string::npos) {
        int received = recv(client, buffer, sizeof buffer, 0);
        if (received <= 0)
            break;
        request.append(buffer, received);
    }
    EnterCriticalSection(&lock_);
    requests_.push_back(request.substr(0, request.find("\r\n")));
    SetEvent(arrived_);
    bool silent = silent_;
    int status = status_;
    std::string body = body_;
    std::string contentType = contentType_;
    size_t declared = declared_ ? declared_ : body_.size();
    std::function<void()> hook = hook_;
    if (silent)
        held_.push_back(client);
    LeaveCriticalSection(&lock_);
    if (hook)
        hook();
    if (silent)
        return;

    char head[128];
    _snprintf(head, sizeof head, "HTTP/1.1 %d Status\r\nContent-Length: %u\r\nConnection: close\r\n", status,
              static_cast<unsigned>(declared));
    std::string answer = head;
    if (!contentType.empty())
        answer += "Content-Type: " + contentType + "\r\n";
    answer += "\r\n" + body;
    send(client, answer.data(), static_cast<int>(answer.size()), 0);
    shutdown(client, SD_SEND);
    closesocket(client);
}

int UnusedLoopbackPort()
{
    int port = 0;
    SOCKET listener = ListenOnLoopback(&port);
    closesocket(listener);
    return port;
}
