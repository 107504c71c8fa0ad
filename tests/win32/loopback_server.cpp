#include "loopback_server.h"

#include <winsock2.h>
#include <ws2tcpip.h>

namespace kv::platform::win32::checks {

namespace {

struct WinsockUser {
    WinsockUser() {
        WSADATA data;
        WSAStartup(MAKEWORD(2, 2), &data);
    }
};

SOCKET listenOnLoopback(int& port) {
    static WinsockUser winsock;
    SOCKET listener = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address);
    listen(listener, 4);
    int length = sizeof address;
    getsockname(listener, reinterpret_cast<sockaddr*>(&address), &length);
    port = ntohs(address.sin_port);
    return listener;
}

// Reads one request head; false when the client closed the connection.
bool readRequestHead(SOCKET client, std::string& head) {
    head.clear();
    char c;
    while (head.size() < 4 || head.compare(head.size() - 4, 4, "\r\n\r\n") != 0) {
        if (recv(client, &c, 1, 0) != 1) return false;
        head += c;
    }
    return true;
}

}  // namespace

LoopbackServer::LoopbackServer(std::vector<std::string> responses)
    : responses_(std::move(responses)), listener_(listenOnLoopback(port_)) {
    thread_ = CreateThread(nullptr, 0, serve, this, 0, nullptr);
}

LoopbackServer::~LoopbackServer() {
    closesocket(static_cast<SOCKET>(listener_));
    if (thread_) {
        WaitForSingleObject(thread_, 5000);
        CloseHandle(thread_);
    }
}

std::string LoopbackServer::url(const std::string& target) const {
    return "http://127.0.0.1:" + std::to_string(port_) + target;
}

void LoopbackServer::finish() {
    WaitForSingleObject(thread_, 10000);
}

int LoopbackServer::closedPort() {
    int port = 0;
    closesocket(listenOnLoopback(port));
    return port;
}

DWORD WINAPI LoopbackServer::serve(void* self) {
    static_cast<LoopbackServer*>(self)->serveAll();
    return 0;
}

void LoopbackServer::serveAll() {
    std::size_t next = 0;
    while (next < responses_.size()) {
        SOCKET client = accept(static_cast<SOCKET>(listener_), nullptr, nullptr);
        if (client == INVALID_SOCKET) return;
        ++connections_;
        std::string head;
        while (next < responses_.size() && readRequestHead(client, head)) {
            requestLines_.push_back(head.substr(0, head.find("\r\n")));
            const std::string& response = responses_[next++];
            if (response.empty()) break;
            send(client, response.data(), static_cast<int>(response.size()), 0);
        }
        closesocket(client);
    }
}

}  // namespace kv::platform::win32::checks
