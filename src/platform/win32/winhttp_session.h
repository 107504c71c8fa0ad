#pragma once
#include <optional>
#include <string>

namespace kv::platform::win32 {

// The program's one WinHTTP session: every request goes through it, so the
// connections to the service are kept alive and reused between requests.
class WinHttpSession {
public:
    WinHttpSession();
    ~WinHttpSession();
    WinHttpSession(const WinHttpSession&) = delete;
    WinHttpSession& operator=(const WinHttpSession&) = delete;

    // One GET; the body of the reply whatever its status, nothing when no
    // reply came (no connection, time-out, a URL that is not http or https).
    std::optional<std::string> get(const std::string& url);

private:
    void* connectionTo(const std::wstring& host, unsigned short port);

    void* session_;  // HINTERNET
    // The service's connection handle, kept: a new one per request costs
    // about as much again as the request itself.
    void* connection_ = nullptr;
    std::wstring connectedHost_;
    unsigned short connectedPort_ = 0;
};

}  // namespace kv::platform::win32
