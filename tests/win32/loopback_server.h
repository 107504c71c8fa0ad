#pragma once
#include <string>
#include <vector>

#include "platform/win32/win32_api.h"

namespace kv::platform::win32::checks {

// A one-thread HTTP server on 127.0.0.1 for the fetcher's checks: it answers
// the requests it gets, in order, with the raw responses it was given (an
// empty one drops the connection without answering), then stops.
class LoopbackServer {
public:
    explicit LoopbackServer(std::vector<std::string> responses);
    ~LoopbackServer();
    LoopbackServer(const LoopbackServer&) = delete;
    LoopbackServer& operator=(const LoopbackServer&) = delete;

    std::string url(const std::string& target) const;

    // Waits until every response went out; then the records can be read.
    void finish();
    const std::vector<std::string>& requestLines() const { return requestLines_; }
    int connections() const { return connections_; }

    // A port on which nothing listens.
    static int closedPort();

private:
    static DWORD WINAPI serve(void* self);
    void serveAll();

    std::vector<std::string> responses_;
    std::vector<std::string> requestLines_;
    int connections_ = 0;
    int port_ = 0;                 // set while the listener is opened
    unsigned long long listener_;  // SOCKET
    HANDLE thread_ = nullptr;
};

}  // namespace kv::platform::win32::checks
